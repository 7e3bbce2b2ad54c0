// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QUrl>

// Where titles and covers are asked for, or that they are not asked for at
// all. Mirrors and tests name their own servers.
struct TitleServers {
    QUrl musicBrainz;
    QUrl coverArt;
    bool offline = false;
};

// What the command line asked for; empty (false) where it said nothing.
struct TitleServerOptions {
    QString musicBrainz;
    QString coverArt;
    bool offline = false;
};

// The command line first, then VELOR_MUSICBRAINZ_SERVER,
// VELOR_COVERART_SERVER and VELOR_OFFLINE=1, then the public servers.
TitleServers titleServers(const TitleServerOptions &options);

// Why text is no server address (empty when it is one): an http or https
// URL with a host.
QString serverProblem(const QString &text);
