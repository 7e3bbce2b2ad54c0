// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// desktop/: the player on the desktop: its MPRIS service on the session bus,
// and (beside the code) the menu entry, icons, metainfo and man page an
// install puts in place. Uses engine/; what it reaches beyond the core, it
// reaches through MprisTargets.

#include "mpris_playback.h"
#include "player_state.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QVariantMap>

#include <optional>

class DiscTitles;
class MprisPlayer;
class MprisTargets;
class PlayerCore;
class Transport;

// The player on the desktop's session bus as an MPRIS2 media player, so
// media keys, panels and playerctl can see and drive it. Every method goes
// through the same procedures as the skin's buttons; what they
// change reaches the bus with the next status update, as it reaches the
// display.
class MprisService : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    static constexpr char kServiceName[] = "org.mpris.MediaPlayer2.velor_cdplayer";
    static constexpr char kObjectPath[] = "/org/mpris/MediaPlayer2";

    MprisService(PlayerCore &core, Transport &transport, MprisTargets &window, QObject *parent = nullptr);

    // Puts the player on the bus; false, said once on stderr, where there
    // is no bus or the name is taken. The player runs on either way.
    bool registerOn(QDBusConnection bus);

    // Shows the titles looked up for the disc, announced as they arrive.
    void showTitles(DiscTitles &titles);

    // The Player properties that announce their changes.
    QVariantMap changingProperties() const;

private:
    // What the announced properties are read from. Reading them all costs
    // more than the rest of a status update, and most updates change none
    // of them: the elapsed time is not among them, as MPRIS announces no
    // position.
    struct Sources {
        QString track;
        qint32 mode = 0;
        const void *toc = nullptr;
        double volume = 0;
        qint16 playMode = 0;
        bool playWanted = false, pausedByUser = false, programReserved = false;
        ProgramList program;
        bool operator==(const Sources &other) const;
    };
    Sources sources() const;

    void afterStatusUpdate();
    void announcePropertyChanges();
    void announceChanges(const QVariantMap &changed);

    PlayerCore &m_core;
    MprisPlayback m_playback;
    MprisPlayer *m_player;
    QDBusConnection m_bus;
    QVariantMap m_announced;
    std::optional<Sources> m_announcedFrom;
    int m_lastTrack = 0;
    qint64 m_lastPositionUs = 0;
};
