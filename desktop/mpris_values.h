// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "disc_text.h"
#include "player_state.h"

#include <QString>
#include <QVariantMap>

// How the player's state reads in the desktop's media-player terms
// (MPRIS2). Pure functions, so the mapping is tested without a bus.
namespace Mpris {

// "Playing", "Paused" or "Stopped", from the play flags and the disc.
QString playbackStatus(const PlayerState &state, bool hasDisc);

// "None", "Track" or "Playlist" for a play mode.
QString loopStatus(qint16 playMode);

// The play mode the repeat button reaches for a loop status in the current
// family of modes (normal or program), or -1 where it has none: a program
// cannot repeat a single track.
int modeForLoopStatus(const QString &loop, qint16 pgmPlay);

// The object path that names a track.
QString trackId(int track);

// Metadata of the current track; for no track (0), only the "no track" id.
// artUrl: the disc's cover as a file:// URL, or empty.
QVariantMap metadata(int track, qint64 lengthUs, const DiscText &text, const QString &artUrl = QString());

// The device's packed time values (time format 10) in microseconds: a
// position within its track (track, minutes, seconds, frames) and a length
// (minutes, seconds, frames).
qint64 tmsfPositionUs(qint32 tmsf);
qint64 msfLengthUs(qint32 msf);

}  // namespace Mpris
