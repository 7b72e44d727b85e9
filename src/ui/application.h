// The desktop program: sets up the application, shows the main window (with
// the CIF file named on the command line, if any) and runs until the window
// is closed.
#pragma once

class QApplication;

namespace kevo {

int RunApplication(QApplication& app);

} // namespace kevo
