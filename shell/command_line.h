#pragma once

#include <QString>
#include <QStringList>

// velor-cdplayer [--device PATH | PATH]. The command line is read before
// any window system is touched, so --help, --version and mistakes are
// answered on a machine without a display too.
struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Refuse };

    Action action = Action::Run;
    QString device;  // empty: the system's default drive
    QString text;    // the help or version text, or the one-line refusal

    // Exit status for the actions that end the process at once.
    int exitStatus() const { return action == Action::Refuse ? 2 : 0; }
};

// `arguments` as argv gives them, the program's name first.
CommandLine parseCommandLine(const QStringList &arguments);
