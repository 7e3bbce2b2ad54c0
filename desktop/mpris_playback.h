// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "disc_text.h"

#include <QObject>

class DiscTitles;
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

    // The titles looked up for the disc, shown from now on.
    void showTitles(const DiscTitles *titles) { m_titles = titles; }
    // The disc's own text, filled in by what was looked up.
    DiscText discText() const;
    // The cover as a file:// URL, empty without one.
    QString artUrl() const;

    // After a jump within the track, the new position for the desktop.
    void announceSeek() { emit seeked(positionUs()); }

signals:
    void seeked(qint64 positionUs);

private:
    PlayerCore &m_core;
    Transport &m_transport;
    const DiscTitles *m_titles = nullptr;
};
