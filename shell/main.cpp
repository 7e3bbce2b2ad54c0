#include "command_line.h"
#include "exit_deadline.h"
#include "form1.h"
#include "mpris_service.h"
#include "single_instance.h"
#include "window_system.h"

#include <QApplication>

#include <cstdio>

namespace {
QStringList argumentList(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// Help, version and mistakes are answered before any window system is
// needed; returns the exit status, or -1 to go on.
int answerCommandLine(const CommandLine &commandLine)
{
    switch (commandLine.action) {
    case CommandLine::Action::Run:
        return -1;
    case CommandLine::Action::Refuse:
        std::fprintf(stderr, "%s\n", qPrintable(commandLine.text));
        break;
    case CommandLine::Action::ShowHelp:
    case CommandLine::Action::ShowVersion:
        std::fputs(qPrintable(commandLine.text), stdout);
        break;
    }
    return commandLine.exitStatus();
}
}  // namespace

int main(int argc, char *argv[])
{
    const CommandLine commandLine = parseCommandLine(argumentList(argc, argv));
    if (const int status = answerCommandLine(commandLine); status >= 0)
        return status;

    SingleInstance::catchRuntimeFolderWarnings();
    preferX11ThenWayland();
    repaintWithoutSharedMemory();
    guardWindowSystemStart();
    QApplication app(argc, argv);
    windowSystemStarted();
    QApplication::setApplicationName(QStringLiteral("velor-cdplayer"));
    QApplication::setApplicationVersion(QStringLiteral(VELOR_VERSION));

    SingleInstance instance;
    if (!instance.acquire())
        return 0;

    CdAudioControl::Options device;
    device.device = commandLine.device;
    Form1 form(device);
    MprisService mpris(form.core(), form.transport());
    mpris.registerOn(QDBusConnection::sessionBus());
    const int status = app.exec();
    // Neither the next start nor the end of this one waits for the device.
    instance.release();
    endProcessWithin(kTeardownGraceMs, status);
    return status;
}
