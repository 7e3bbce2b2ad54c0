// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc_toc.h"

#include <algorithm>

DiscToc::DiscToc(std::vector<TrackInfo> tracks) : m_tracks(std::move(tracks))
{
    std::sort(m_tracks.begin(), m_tracks.end(),
              [](const TrackInfo &a, const TrackInfo &b) { return a.number < b.number; });
}

const TrackInfo *DiscToc::track(int number) const
{
    for (const TrackInfo &t : m_tracks)
        if (t.number == number)
            return &t;
    return nullptr;
}

const TrackInfo *DiscToc::trackAt(qint64 lsn) const
{
    const TrackInfo *found = m_tracks.empty() ? nullptr : &m_tracks.front();
    for (const TrackInfo &t : m_tracks)
        if (t.startLsn <= lsn)
            found = &t;
    return found;
}

const TrackInfo *DiscToc::audioTrackFrom(qint64 lsn) const
{
    for (const TrackInfo &t : m_tracks)
        if (t.audio && t.startLsn >= lsn && t.sectors() > 0)
            return &t;
    return nullptr;
}

const TrackInfo *DiscToc::firstAudio() const { return audioTrackFrom(-1); }

const TrackInfo *DiscToc::lastAudio() const
{
    for (auto it = m_tracks.rbegin(); it != m_tracks.rend(); ++it)
        if (it->audio && it->sectors() > 0)
            return &*it;
    return nullptr;
}

const TrackInfo *DiscToc::nextAudio(const TrackInfo *track) const
{
    return track ? audioTrackFrom(track->startLsn + 1) : nullptr;
}

const TrackInfo *DiscToc::previousAudio(const TrackInfo *track) const
{
    const TrackInfo *found = nullptr;
    for (const TrackInfo &t : m_tracks) {
        if (&t == track)
            break;
        if (t.audio && t.sectors() > 0)
            found = &t;
    }
    return found;
}

qint64 DiscToc::audioSectors() const
{
    qint64 sum = 0;
    for (const TrackInfo &t : m_tracks)
        if (t.audio)
            sum += t.sectors();
    return sum;
}

qint32 packMsf(qint64 sectors)
{
    sectors = std::max<qint64>(0, sectors);
    const qint64 minutes = std::min<qint64>(255, sectors / (75 * 60));
    const qint64 seconds = (sectors / 75) % 60;
    const qint64 frames = sectors % 75;
    return qint32(minutes | (seconds << 8) | (frames << 16));
}

qint32 packTmsf(int track, qint64 sectorsIntoTrack)
{
    return qint32(quint32(track & 0xFF) | (quint32(packMsf(sectorsIntoTrack)) << 8));
}
