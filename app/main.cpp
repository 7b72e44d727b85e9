// kevo21: the desktop program.
#include <QApplication>

#include "ui/application.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return kevo::RunApplication(app);
}
