#include "ui/seams.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLocale>
#include <QMessageBox>
#include <QRegularExpression>

#include "calc/bvs_file.h"
#include "poly/geometry.h"
#include "ui/bonds_dialog.h"
#include "ui/man_coord_dialog.h"

namespace kevo {

namespace {

// "CSV summary results (*.csv)" -> "csv".
QString FilterExtension(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.([^)\\s]+)\\)"));
    const QRegularExpressionMatch match = pattern.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

std::string ProgramDirectory() {
    return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
}

} // namespace

QString WindowSeams::OpenFileName(QWidget* parent, const QString& directory) {
    QFileDialog dialog(parent, QStringLiteral("Open"), directory);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(
        {QStringLiteral("CIF files (*.cif *.CIF)"), QStringLiteral("All files (*)")});
    dialog.setDefaultSuffix(QStringLiteral("cif"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Open"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

std::optional<SaveChoice> WindowSeams::SaveFileName(QWidget* parent, const SaveRequest& request) {
    QFileDialog dialog(parent, QStringLiteral("Save as"),
                       QDir(request.directory).filePath(request.fileName));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(request.filters);
    const int selected = std::clamp(request.selected, 1, static_cast<int>(request.filters.size()));
    if (!request.filters.isEmpty()) {
        dialog.selectNameFilter(request.filters.at(selected - 1));
        dialog.setDefaultSuffix(FilterExtension(request.filters.at(selected - 1)));
    }
    // A name typed without an extension gets the one of the chosen file type.
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog](const QString& filter) { dialog.setDefaultSuffix(FilterExtension(filter)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    SaveChoice choice;
    choice.path = dialog.selectedFiles().constFirst();
    choice.entry = static_cast<int>(request.filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (choice.entry < 1) choice.entry = selected;
    return choice;
}

void WindowSeams::ShowMessage(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(ApplicationTitle), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

void WindowSeams::ShowDetailedMessage(QWidget* parent, const QString& text, const QString& detail) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(ApplicationTitle), text, QMessageBox::Ok,
                    parent);
    box.setInformativeText(detail);
    box.exec();
}

bool WindowSeams::RunSettingsDialog(QWidget* parent, Model& m) {
    TBondsDialog dialog(m, *this, parent);
    return dialog.exec() == BondsDialogOK;
}

int WindowSeams::RunManualCoordinationDialog(QWidget* parent, Model& m) {
    TMCD dialog(m, *this, parent);
    return dialog.exec();
}

std::string WindowSeams::BvsPath() {
    return FindBvsFile(ProgramDirectory());
}

std::string WindowSeams::BvsPlacesTried() {
    return PlacesTriedText(BvsFileName, ProgramDirectory());
}

std::string WindowSeams::DefaultBondLengthsPath() {
    return FindDataFile(DefaultBondLengthsFileName, ProgramDirectory());
}

std::string WindowSeams::DecimalSeparator() {
    return QLocale().decimalPoint().toStdString();
}

bool WindowSeams::RunGeometry(Model& m, MessageSink& msg, int ca) {
    return Bonds1Click(m, msg, ca);
}

} // namespace kevo
