// The window's command line: an optional output folder, --help and --version.
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

}  // namespace gw
