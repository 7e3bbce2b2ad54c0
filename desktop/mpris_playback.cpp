// SPDX-License-Identifier: GPL-3.0-or-later
#include "mpris_playback.h"

#include "mpris_values.h"
#include "player_core.h"

int MprisPlayback::currentTrack() const { return m_core.hasDisc() ? m_core.trackField.text().toInt() : 0; }

qint64 MprisPlayback::positionUs() const
{
    return currentTrack() ? Mpris::tmsfPositionUs(m_core.device.position()) : 0;
}

qint64 MprisPlayback::trackLengthUs() const
{
    return currentTrack() ? Mpris::msfLengthUs(m_core.device.trackLength()) : 0;
}
