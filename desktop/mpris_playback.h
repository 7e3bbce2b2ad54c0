// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class PlayerCore;
class Transport;

// What the desktop's Player interface reads and drives: the player core,
// the transport, and the track and times in the units MPRIS counts in.
class MprisPlayback : public QObject {
    Q_OBJECT
public:
    MprisPlayback(PlayerCore &core, Transport &transport, QObject *parent = nullptr)
        : QObject(parent), m_core(core), m_transport(transport)
    {
    }

    PlayerCore &core() const { return m_core; }
    Transport &transport() const { return m_transport; }

    // The track the display shows, 0 without a disc.
    int currentTrack() const;
    qint64 positionUs() const;
    qint64 trackLengthUs() const;

    // After a jump within the track, the new position for the desktop.
    void announceSeek() { emit seeked(positionUs()); }

signals:
    void seeked(qint64 positionUs);

private:
    PlayerCore &m_core;
    Transport &m_transport;
};
