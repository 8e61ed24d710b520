// gridwick-window: the desktop front end. Output goes to the folder given as
// the only argument (created when missing), else to the folder chosen last in
// the window, else to folders next to the executable; an installed program, or
// one whose folder cannot be written, uses ~/Gridwick instead. The status bar
// says which at start-up.
#include <QApplication>
#include <QDir>
#include <QStatusBar>

#include <cstdio>

#include "options.h"
#include "settings.h"
#include "workbench.h"

int main(int argc, char* argv[]) {
    // The arguments are read before the window system is opened, so that
    // --help and --version work without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const gw::WindowArgs args = gw::ParseWindowArgs(arguments);
    if (args.action == gw::WindowArgs::Action::Print) {
        std::fputs(args.text.toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (args.action == gw::WindowArgs::Action::Fail) {
        std::fprintf(stderr, "gridwick-window: %s\n", args.text.toLocal8Bit().constData());
        return 2;
    }
    if (!args.folder.isEmpty()) {
        if (const QString why = gw::PrepareFolder(args.folder); !why.isEmpty()) {
            std::fprintf(stderr, "gridwick-window: %s\n", why.toLocal8Bit().constData());
            return 1;
        }
    }

    QApplication app(argc, argv);
    QApplication::setOrganizationName("Gridwick");
    QApplication::setApplicationName("Gridwick window");
    QApplication::setApplicationVersion(GRIDWICK_WINDOW_VERSION);
    QString folder = args.folder;
    QString where;
    if (!folder.isEmpty()) where = "Puzzles are kept in " + folder + ", the folder given.";
    if (folder.isEmpty()) {
        // The folder chosen last, while it can still be used.
        const QString remembered = gw::WindowSettings::Load().folder;
        if (!remembered.isEmpty() && QDir(remembered).exists() && gw::PrepareFolder(remembered).isEmpty()) {
            folder = remembered;
            where = "Puzzles are kept in " + folder + ", the folder chosen last.";
        }
    }
    if (folder.isEmpty()) {
        const gw::StartFolder start = gw::DefaultFolder(QCoreApplication::applicationDirPath(), QDir::homePath());
        where = start.message;
        if (!start.own) {
            if (const QString why = gw::PrepareFolder(start.folder); !why.isEmpty()) {
                std::fprintf(stderr, "gridwick-window: %s\n", why.toLocal8Bit().constData());
                return 1;
            }
            folder = start.folder;
        }
    }
    // Empty: the program's own folder.
    gw::Workbench window(folder.isEmpty() ? std::filesystem::path() : std::filesystem::path(folder.toStdString()));
    window.Load();
    window.statusBar()->showMessage(where);
    return QApplication::exec();
}
