// gridwick-window: the desktop front end. Output goes to the folder given as
// the only argument (created when missing), else to the folder chosen last in
// the window, else to folders next to the executable (the installed desktop
// entry gives ~/Gridwick, since the program's own folder is not writable there).
#include <QApplication>
#include <QDir>

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
    if (folder.isEmpty()) {
        // The folder chosen last, while it can still be used.
        const QString remembered = gw::WindowSettings::Load().folder;
        if (!remembered.isEmpty() && QDir(remembered).exists() && gw::PrepareFolder(remembered).isEmpty())
            folder = remembered;
    }
    gw::Workbench window(folder.isEmpty() ? std::filesystem::path() : std::filesystem::path(folder.toStdString()));
    window.Load();
    return QApplication::exec();
}
