// kevo21-screenshots: opens an example in the real main window, calculates,
// and saves pictures of the window for a person to look at. Run it under an
// X server (scripts/screenshot.sh starts one).
//
//   kevo21-screenshots OUTPUT-FOLDER [PREFIX] [CIF-FILE]
#include <cstdio>
#include <string>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>

#include "ui/about_dialog.h"
#include "ui/main_window.h"
#include "ui/seams.h"

namespace {

// No dialog may wait for a person: messages go to stderr.
class ScriptedSeams : public kevo::WindowSeams {
  public:
    void ShowMessage(QWidget* /*parent*/, const QString& text) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    std::string BvsPath() override { return KEVO_SOURCE_DIR "/data/bvsparm.cif"; }
};

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
    return ok ? 0 : 1;
}
