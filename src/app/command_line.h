#pragma once

#include <QString>
#include <QStringList>

// What the program is asked on its command line: a video to open (as the desktop's "Open
// with" gives it), or its usage or version, each answered in one line.
namespace app {

struct CommandLine {
    enum class Action { Run, Help, Version, Refuse };
    Action action = Action::Run;
    QString file;    // Run: the video to open, empty for none
    QString message; // Help, Version: the line for standard output; Refuse: for standard error
    int exitCode() const { return action == Action::Refuse ? 2 : 0; }
};

// `arguments` without the program's name. Options are --help (-h) and --version; "--" ends
// them, so a file may start with "-".
CommandLine readCommandLine(const QStringList& arguments);

} // namespace app
