// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "title_servers.h"

#include <QString>
#include <QStringList>

// velor-cdplayer [--device PATH | PATH] [--musicbrainz-server URL]
// [--coverart-server URL] [--offline]. PATH may also be a location a
// desktop hands over: cdda://sr0 and its other forms, or a file:// URL. The
// command line is read before
// any window system is touched, so --help, --version and mistakes are
// answered on a machine without a display too.
struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Refuse };

    Action action = Action::Run;
    QString device;  // empty: the system's default drive
    // The help or version text, the one-line refusal, or, for a run, a
    // line to say first (what could not be opened).
    QString text;
    TitleServerOptions titleServers;

    // Exit status for the actions that end the process at once.
    int exitStatus() const { return action == Action::Refuse ? 2 : 0; }
};

// `arguments` as argv gives them, the program's name first.
CommandLine parseCommandLine(const QStringList &arguments);
