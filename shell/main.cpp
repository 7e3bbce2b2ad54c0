// SPDX-License-Identifier: GPL-3.0-or-later
#include "command_line.h"
#include "disc_titles.h"
#include "exit_deadline.h"
#include "event_loop_wake.h"
#include "file_names.h"
#include "main_window.h"
#include "mpris_service.h"
#include "session_end.h"
#include "single_instance.h"
#include "window_system.h"

#include <QApplication>
#include <QDateTime>

#include <cstdio>

namespace {
QStringList argumentList(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(fileNameFromBytes(argv[i]));  // a path keeps its bytes
    return arguments;
}

// Help, version and mistakes are answered before any window system is
// needed; returns the exit status, or -1 to go on.
int answerCommandLine(const CommandLine &commandLine)
{
    switch (commandLine.action) {
    case CommandLine::Action::Run:
        if (!commandLine.text.isEmpty())
            std::fprintf(stderr, "%s\n", printableLine(commandLine.text).toUtf8().constData());
        return -1;
    case CommandLine::Action::Refuse:
        std::fprintf(stderr, "%s\n", printableLine(commandLine.text).toUtf8().constData());
        break;
    case CommandLine::Action::ShowHelp:
    case CommandLine::Action::ShowVersion:
        std::fputs(withBytesEscaped(commandLine.text).toUtf8().constData(), stdout);
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
    // The running player is not told: a second start only ends. One that
    // came with a disc says that the disc was not opened.
    if (!instance.acquire()) {
        if (commandLine.device.isEmpty())
            return 0;
        std::fprintf(stderr, "velor-cdplayer: already running; %s was not opened\n",
                     printableLine(commandLine.device).toUtf8().constData());
        return 1;
    }

    CdAudioControl::Options device;
    device.device = commandLine.device;
    DiscTitles titles(titleServers(commandLine.titleServers),
                      TitleCache(TitleCache::standardFolder(), [] { return QDateTime::currentMSecsSinceEpoch(); }),
                      SystemClock::instance(), LookupHelper::installedProgram());
    MainWindow form(device);
    wakeOnEvents(form.core());
    form.showTitles(titles);
    MprisService mpris(form.core(), form.transport(), form);
    mpris.showTitles(titles);
    mpris.registerOn(QDBusConnection::sessionBus());
    const SessionEnd sessionEnd([&form] {
        form.exitPlayer();
        QApplication::quit();  // with the program editor or another window still open too
    });
    const int status = app.exec();
    // Neither the next start nor the end of this one waits for the device.
    instance.release();
    endProcessWithin(kTeardownGraceMs, status);
    return status;
}
