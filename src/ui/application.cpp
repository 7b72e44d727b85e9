#include "ui/application.h"

#include <clocale>

#include <QApplication>
#include <QCommandLineParser>
#include <QMetaObject>
#include <QScreen>

#include "ui/about_dialog.h"
#include "ui/main_window.h"
#include "ui/seams.h"

namespace kevo {

int RunApplication(QApplication& app) {
    // Numbers never depend on the locale; keep the C library's conversions
    // in the "C" locale whatever the desktop's language is.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QString::fromUtf8(ApplicationTitle));
    QApplication::setApplicationVersion(QStringLiteral("1.8"));
    QGuiApplication::setDesktopFileName(QStringLiteral("kevo21"));
    QApplication::setWindowIcon(ProgramIcon());

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Kevo21: charge distributions, bond valence sums and coordination "
                       "polyhedra in crystal structures."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("A CIF file to open at start-up."),
                                 QStringLiteral("[file.cif]"));
    parser.process(app);

    TOstrel window;
    // Centred on the screen for when it is restored from maximised.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window.move(screen->availableGeometry().center() - window.rect().center());
    window.showMaximized();
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty()) {
        const QString path = files.constFirst();
        // Opened once the window is up, so that a message about the file
        // appears over it.
        QMetaObject::invokeMethod(
            &window, [&window, path] { window.OpenCifFile(path); }, Qt::QueuedConnection);
    }
    return QApplication::exec();
}

} // namespace kevo
