// The window's command line (an optional output folder, --help and --version)
// and the folder used when none is given.
#pragma once

#include <QString>
#include <QStringList>

namespace gw {

struct WindowArgs {
    enum class Action { Run, Print, Fail } action = Action::Run;
    QString folder;   // Run: the folder given (empty: none)
    QString text;     // Print: what to print (help, version); Fail: why
};

WindowArgs ParseWindowArgs(const QStringList& arguments);

// Makes `folder` usable as the output folder: created when missing, and
// written to once to see that it can be. Empty when it is usable, else why not.
QString PrepareFolder(const QString& folder);

// The folder for the puzzles when none is given or remembered: the program's
// own folder, unless it is installed (a "bin" folder beside a "share" folder,
// as `cmake --install` and packages lay out) or cannot be written; then
// "Gridwick" in the user's home folder, which is never beside the program.
struct StartFolder {
    QString folder;
    bool own = false;  // the program's own folder
    QString message;   // which folder, and why, for the status bar
};
StartFolder DefaultFolder(const QString& programFolder, const QString& homeFolder);

}  // namespace gw
