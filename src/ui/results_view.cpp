// The right half of the main window: showing a report, the section list,
// the centring switch, "Save as..." and autosave.
#include <algorithm>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>

#include "calc/pipeline.h"
#include "model/cif_reader.h"
#include "reports/csv.h"
#include "reports/report_file.h"
#include "reports/sections.h"
#include "ui/fonts.h"
#include "ui/main_window.h"
#include "ui/seams.h"

namespace kevo {

QString SaveAsSuffix(int code) {
    static const char* const kSuffixes[8] = {"-CC-D.out",  "-CC-S.csv",  "-AC-D.out",
                                             "-AC-S.csv",  "-CC-DP.pol", "-CC-SP.csv",
                                             "-AC-DP.pol", "-AC-SP.csv"};
    return code >= 1 && code <= 8 ? QString::fromLatin1(kSuffixes[code - 1]) : QString();
}

QStringList SaveAsFilters(int code) {
    const QString csv = QStringLiteral("CSV summary results (*.csv)");
    const QString geometry = QStringLiteral("Kevo21 detailed polyhedron geometry (*.pol)");
    switch (code) {
    case 1:
    case 3:
        return {QStringLiteral("Kevo21 detailed CD-BVS results (*.out)")};
    case 2:
    case 4:
        return {QStringLiteral("Kevo21 summary CD-BVS results (*.out)"), csv};
    case 5:
        return {geometry, QStringLiteral("Kevo21 opposing bonds (*.csv)"),
                QStringLiteral("Kevo21 123-45 bond averages (*.csv)")};
    case 6:
    case 8:
        return {QStringLiteral("Kevo21 summary polyhedron geometry (*.pol)"), csv};
    case 7:
        return {geometry};
    default:
        return {};
    }
}

int SaveAsPreselected(int code) {
    return code == 2 || code == 4 || code == 6 || code == 8 ? 2 : 1;
}

void TOstrel::ShowReport(int code) {
    // With zero-weight ligands excluded there are no zero-weight bonds to
    // show: the box is cleared before the report is built, so the report
    // and the box agree.
    if ((code == 1 || code == 3) && model_->ExZeroW) OmitCheckBox->setChecked(false);
    LoadResults(code);
    ListResults(code);
}

void TOstrel::LoadResults(int code) {
    kevo::LoadResults(*model_, results_, *messages_, code, !OmitCheckBox->isChecked());
    SaveAsButton->setEnabled(!AutosaveCheck->isChecked());
}

void TOstrel::ListResults(int code) {
    ReportLines& list = results_.List(code);
    shown_ = std::move(list);
    list.clear();
    QStringList text;
    text.reserve(static_cast<qsizetype>(shown_.size()));
    for (const std::string& line : shown_)
        text << QString::fromStdString(line);
    Memo1->setPlainText(text.join(QLatin1Char('\n')));
    results_.CurrentResults = code;

    if (AutosaveCheck->isChecked()) {
        const std::string path = model_->OutPath + model_->Title + std::string(ReportSuffix(code));
        std::string error;
        if (!WriteReportFile(path, shown_, error)) ShowMessage(error);
    }

    const bool detailed = code == 1 || code == 3 || code == 5 || code == 7;
    SectionCombo->clear();
    if (detailed) {
        for (std::string_view heading : SectionHeadings(*model_, code))
            SectionCombo->addItem(
                QString::fromUtf8(heading.data(), static_cast<qsizetype>(heading.size())));
        SectionCombo->setCurrentIndex(0);
        // The list shows the headings whole, however narrow the box is.
        int widest = 0;
        for (int i = 0; i < SectionCombo->count(); ++i)
            widest =
                std::max(widest, GetTextWidth(SectionCombo->itemText(i), SectionCombo->font()));
        SectionCombo->view()->setMinimumWidth(widest + 32);
    }
    SectionCombo->setEnabled(detailed);
    SectionLabel->setEnabled(detailed);
    if (code == 1 || code == 3) {
        OmitCheckBox->setEnabled(!model_->ExZeroW);
        if (model_->ExZeroW) OmitCheckBox->setChecked(false);
    } else {
        OmitCheckBox->setEnabled(false);
    }
    DetailedResults->setEnabled(true);
}

void TOstrel::SectionCom() {
    Guarded([this] {
        if (!HasResults()) return;
        const Model& m = *model_;
        const bool detailed = DetailedResults->isChecked();
        int code = ReportCode(m.ShowCations, detailed);
        if (m.ShowingPolGeom) code = (m.ShowCations ? 5 : 7) + (detailed ? 0 : 1);
        ShowReport(code);
    });
}

void TOstrel::OmitCheckBoxClick() {
    Guarded([this] {
        if (HasResults() && results_.CurrentResults != 0) ShowReport(results_.CurrentResults);
    });
}

void TOstrel::ShowXCenteredButtonClick() {
    Guarded([this] {
        PolGeomButton->setText(QStringLiteral("Coordination geometry"));
        if (ShowXCenteredButton->text() == QStringLiteral(">> Anion-centered")) {
            model_->ShowCations = false;
            ShowXCenteredButton->setText(QStringLiteral(">> Cation-centered"));
        } else {
            model_->ShowCations = true;
            ShowXCenteredButton->setText(QStringLiteral(">> Anion-centered"));
        }
        RunCalculation();
    });
}

void TOstrel::SectionComboSelect(int index) {
    if (index < 0) return;
    // The heading is looked for without its first six characters.
    const QString key = SectionCombo->itemText(index).mid(6);
    for (QTextBlock block = Memo1->document()->begin(); block.isValid(); block = block.next()) {
        if (!block.text().contains(key)) continue;
        QTextCursor line(block);
        line.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        Memo1->setTextCursor(line);
        Memo1->setFocus();
        // The heading goes to the top of the view (as far as the text reaches)
        // and the text is shown from its first column.
        Memo1->verticalScrollBar()->setValue(block.firstLineNumber());
        Memo1->horizontalScrollBar()->setValue(0);
        return;
    }
}

void TOstrel::SaveAsButtonClick() {
    Guarded([this] {
        const int code = results_.CurrentResults;
        if (code < 1 || code > 8 || !HasResults()) return;
        const Model& m = *model_;
        SaveRequest request;
        request.directory = QFile::decodeName(m.OutPath.c_str());
        request.fileName = QString::fromStdString(m.Title) + SaveAsSuffix(code);
        request.filters = SaveAsFilters(code);
        request.selected = SaveAsPreselected(code);
        const std::optional<SaveChoice> choice = seams_->SaveFileName(this, request);
        if (!choice || choice->path.isEmpty()) return;

        const std::string file = QFile::encodeName(choice->path).toStdString();
        std::string error;
        bool written = false;
        if (choice->entry == 1) {
            written = WriteReportFile(file, shown_, error);
        } else if (choice->entry == 2 && (code == 2 || code == 4)) {
            written = SaveCSV(m, code == 2 ? 1 : 2, file, seams_->DecimalSeparator(), error);
        } else if (choice->entry == 2 && (code == 6 || code == 8)) {
            written = SavePolGeomCSV(m, code == 6 ? 1 : 2, file, seams_->DecimalSeparator(), error);
        } else if (choice->entry == 2 && code == 5) {
            written = SaveOppBondsCSV(m, file, seams_->DecimalSeparator(), error);
        } else if (choice->entry == 3 && code == 5) {
            written = Save123_45AveragesCSV(m, file, seams_->DecimalSeparator(), error);
        } else {
            error = "This file type cannot be written for the shown report.";
        }
        if (!written) ShowMessage(error);
    });
}

} // namespace kevo
