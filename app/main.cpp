// gridwick-window: the desktop front end. Output goes to folders next to the
// executable, or under the folder given as the only argument (the installed
// desktop entry gives ~/Gridwick, since the program's own folder is not
// writable there).
#include <QApplication>

#include "main_window.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    gw::MainWindow window(args.size() > 1 ? std::filesystem::path(args[1].toStdString()) : std::filesystem::path());
    window.Load();
    return QApplication::exec();
}
