// SPDX-License-Identifier: GPL-3.0-or-later
#include "mpris_playback.h"

#include "disc_titles.h"
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

// Looked-up titles only for the disc they were looked up for: between a
// disc change and the status update that follows it they are the old
// disc's.
DiscText MprisPlayback::discText() const
{
    return m_titles && m_titles->follows(m_core.device.toc()) ? m_titles->text() : m_core.device.discText();
}

QString MprisPlayback::artUrl() const
{
    return m_titles && m_titles->follows(m_core.device.toc()) ? m_titles->coverUrl() : QString();
}
