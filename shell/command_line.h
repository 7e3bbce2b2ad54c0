#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

// velor-cdplayer [--device PATH]; --help and --version print and end the
// process. Returns the device to open, empty for the system's default drive.
QString deviceFromCommandLine(const QCoreApplication &app);

// The same rules without ending the process: what a command line asks for,
// or why it is refused.
struct CommandLineRequest {
    enum Action { Run, Help, Version, Refuse } action = Run;
    QString device;
    QString refusal;
};
CommandLineRequest readCommandLine(const QStringList &arguments);
