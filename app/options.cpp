#include "options.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace gw {

namespace {

QString Usage(const QString& program) {
    return "Usage: " + program + " [FOLDER]\n"
           "Gridwick's window: generates Sudoku puzzles into eight target folders under FOLDER, and\n"
           "browses, grades, explains, prints and merges them.\n\n"
           "  FOLDER         folder for the puzzles, created when missing (default: the folder\n"
           "                 chosen last in the window, else the program's own folder; an\n"
           "                 installed program uses ~/Gridwick)\n"
           "  -h, --help     show this help and exit\n"
           "  -v, --version  show the version and exit\n";
}

}  // namespace

WindowArgs ParseWindowArgs(const QStringList& arguments) {
    const QString program = QFileInfo(arguments.value(0, "gridwick-window")).fileName();
    QCommandLineParser p;
    const QCommandLineOption help({"h", "help"}, "Show this help and exit.");
    const QCommandLineOption version({"v", "version"}, "Show the version and exit.");
    p.addOption(help);
    p.addOption(version);
    WindowArgs a;
    const QString tryHelp = "\nTry '" + program + " --help'.";
    if (!p.parse(arguments)) {
        a.action = WindowArgs::Action::Fail;
        a.text = p.errorText() + tryHelp;
        return a;
    }
    if (p.isSet(help)) {
        a.action = WindowArgs::Action::Print;
        a.text = Usage(program);
        return a;
    }
    if (p.isSet(version)) {
        a.action = WindowArgs::Action::Print;
        a.text = "gridwick-window " GRIDWICK_WINDOW_VERSION "\n";
        return a;
    }
    const QStringList pos = p.positionalArguments();
    if (pos.size() > 1) {
        a.action = WindowArgs::Action::Fail;
        a.text = "give one folder at most." + tryHelp;
        return a;
    }
    if (!pos.isEmpty()) a.folder = pos.front();
    return a;
}

QString PrepareFolder(const QString& folder) {
    if (folder.isEmpty()) return "No folder given.";
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir()) return folder + " is not a folder.";
    if (!QDir().mkpath(folder)) return "Cannot create the folder " + folder + ".";
    QTemporaryFile probe(QDir(folder).filePath(".gridwick-probe-XXXXXX"));
    if (!probe.open()) return "Cannot write into " + folder + ": " + probe.errorString();
    return {};
}

StartFolder DefaultFolder(const QString& programFolder, const QString& homeFolder) {
    const QDir program(programFolder);
    QDir parent(programFolder);
    const bool installed = program.dirName() == "bin" && parent.cdUp() && QFileInfo(parent.filePath("share")).isDir();
    const QString user = QDir(homeFolder).filePath("Gridwick");
    if (installed)
        return {user, false, "Puzzles are kept in " + user + ": the program is installed in " + programFolder + "."};
    if (const QString why = PrepareFolder(programFolder); !why.isEmpty())
        return {user, false, "Puzzles are kept in " + user + ": the program's folder " + programFolder +
                                 " cannot be written."};
    return {programFolder, true, "Puzzles are kept in " + programFolder + ", the program's own folder."};
}

}  // namespace gw
