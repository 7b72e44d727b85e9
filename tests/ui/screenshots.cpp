// kevo21-screenshots: opens an example in the real main window, calculates,
// goes through the settings dialogs, and saves pictures of the windows for a
// person to look at. Run it under an
// X server (scripts/screenshot.sh starts one).
//
//   kevo21-screenshots OUTPUT-FOLDER [PREFIX] [CIF-FILE]
#include <cstdio>
#include <functional>
#include <string>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QThread>

#include "ui/about_dialog.h"
#include "ui/bonds_dialog.h"
#include "ui/main_window.h"
#include "ui/man_coord_dialog.h"
#include "ui/seams.h"
#include "ui/widgets.h"

namespace {

void Settle(int ms = 300) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
}

bool Save(QWidget* w, const QString& file) {
    Settle();
    const bool ok = w->grab().save(file);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(file));
    return ok;
}

template <class T> T* Control(QWidget* window, const char* name) {
    T* w = window->findChild<T*>(QString::fromLatin1(name));
    if (w == nullptr) qFatal("no control named %s", name);
    return w;
}

// No dialog may wait for a person: messages go to stderr, and the settings
// dialogs are shown, pictured and confirmed by the script.
class ScriptedSeams : public kevo::WindowSeams {
  public:
    std::function<QString(const char*)> file;
    bool ok = true;

    void ShowMessage(QWidget* /*parent*/, const QString& text) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    void ShowDetailedMessage(QWidget* parent, const QString& text, const QString& detail) override {
        ShowMessage(parent, text + QStringLiteral("\n") + detail);
    }
    std::string BvsPath() override { return KEVO_SOURCE_DIR "/data/bvsparm.cif"; }
    std::string DefaultBondLengthsPath() override {
        return KEVO_SOURCE_DIR "/data/default-bond-lengths.txt";
    }

    bool RunSettingsDialog(QWidget* parent, kevo::Model& m) override {
        kevo::TBondsDialog dialog(m, *this, parent);
        dialog.show();
        ok = Save(&dialog, file("13-settings.png")) && ok;
        Control<kevo::RadioGroup>(&dialog, "GlobalOptionsRG")->Item(1)->click();
        ok = Save(&dialog, file("14-settings-bond-types.png")) && ok;
        Control<QCheckBox>(&dialog, "OpposingBondsCB")->click();
        Control<kevo::RadioGroup>(&dialog, "ZoneRadioGroup")->Item(1)->click();
        Control<kevo::RadioGroup>(&dialog, "EndIterationRG")->Item(0)->click();
        // Opens the manual coordination dialog (RunManualCoordinationDialog).
        Control<kevo::RadioGroup>(&dialog, "GlobalOptionsRG")->Item(2)->click();
        ok = Save(&dialog, file("17-settings-polyhedron.png")) && ok;
        Control<QPushButton>(&dialog, "OKbutton")->click();
        return dialog.result() == kevo::BondsDialogOK;
    }

    int RunManualCoordinationDialog(QWidget* parent, kevo::Model& m) override {
        kevo::TMCD dialog(m, *this, parent);
        dialog.show();
        auto* grid = Control<QTableWidget>(&dialog, "SGMC");
        // Cut the first atom's coordination after its fourth ligand.
        for (int r = 0, ligands = 0; r < grid->rowCount(); ++r)
            if (!grid->item(r, 0)->text().isEmpty() && ++ligands == 4) {
                emit grid->cellDoubleClicked(r, 0);
                break;
            }
        ok = Save(&dialog, file("15-manual-coordination.png")) && ok;
        Control<QPushButton>(&dialog, "XCentButton")->click();
        ok = Save(&dialog, file("16-manual-coordination-anions.png")) && ok;
        Control<QPushButton>(&dialog, "OkButton1")->click();
        return dialog.result();
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kevo::ApplicationTitle));
    const QStringList args = QApplication::arguments();
    const QString out = args.size() > 1 ? args.at(1) : QStringLiteral("screenshots");
    const QString prefix = args.size() > 2 ? args.at(2) : QString();
    const QString cif =
        args.size() > 3 ? args.at(3)
                        : QStringLiteral(KEVO_SOURCE_DIR "/examples/fluorapatite_AMCSD0001934.cif");
    QDir().mkpath(out);
    auto file = [&](const char* name) { return QDir(out).filePath(prefix + name); };

    ScriptedSeams seams;
    seams.file = file;
    kevo::TOstrel window(&seams);
    window.resize(1482, 759);
    window.move(0, 0);
    window.show();
    bool ok = Save(&window, file("01-start-up.png"));

    if (!window.OpenCifFile(cif)) return 1;
    Control<QPushButton>(&window, "CalculateButton")->click();
    ok = Save(&window, file("02-cation-summary.png")) && ok;
    ok = Save(Control<QWidget>(&window, "ResultsBar"), file("03-geometry-button.png")) && ok;

    Control<QCheckBox>(&window, "DetailedResults")->click();
    Control<QPushButton>(&window, "ShowXCenteredButton")->click();
    ok = Save(&window, file("04-anion-detailed.png")) && ok;
    auto* sections = Control<QComboBox>(&window, "SectionCombo");
    const int synopsis = sections->findText(QStringLiteral("  SYNOPSIS"));
    sections->setCurrentIndex(synopsis);
    emit sections->activated(synopsis);
    ok = Save(&window, file("05-anion-detailed-synopsis.png")) && ok;

    // The coordination geometry: the anions' detailed report, then the
    // cations' detailed report at its dihedral angles and their summary.
    auto* geometry = Control<QPushButton>(&window, "PolGeomButton");
    geometry->click();
    ok = Save(&window, file("06-anion-geometry-detailed.png")) && ok;
    geometry->click();
    Control<QPushButton>(&window, "ShowXCenteredButton")->click();
    geometry->click();
    ok = Save(&window, file("07-cation-geometry-detailed.png")) && ok;
    const int dihedrals = sections->findText(QStringLiteral("  DIHEDRAL ANGLES"));
    sections->setCurrentIndex(dihedrals);
    emit sections->activated(dihedrals);
    ok = Save(&window, file("08-cation-geometry-dihedral-angles.png")) && ok;
    ok = Save(Control<QWidget>(&window, "ResultsBar"), file("09-geometry-shown-bar.png")) && ok;
    Control<QCheckBox>(&window, "DetailedResults")->click();
    ok = Save(&window, file("10-cation-geometry-summary.png")) && ok;

    // A small screen: the layouts shrink, the memo scrolls.
    window.resize(1024, 600);
    ok = Save(&window, file("11-small-screen.png")) && ok;

    Control<QPushButton>(&window, "AboutButton")->click();
    ok = Save(window.aboutDialog(), file("12-about.png")) && ok;
    window.aboutDialog()->close();

    // The settings dialogs (pictured by the seams), then a calculation with
    // the radii chosen.
    window.resize(1482, 759);
    Control<QPushButton>(&window, "BondsButton")->click();
    Control<QPushButton>(&window, "CalculateButton")->click();
    ok = Save(&window, file("18-after-manual-coordination.png")) && ok;
    return ok && seams.ok ? 0 : 1;
}
