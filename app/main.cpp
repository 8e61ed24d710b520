// gridwick-window: the desktop front end. Output goes to folders next to the
// executable.
#include <QApplication>

#include "main_window.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    gw::MainWindow window;
    window.Load();
    return QApplication::exec();
}
