// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "disc_text.h"

#include <QString>

#include <cstdint>
#include <vector>

// The table of contents as the player needs it: where each track starts,
// where its sound ends, and whether it is audio at all.
struct TrackInfo {
    int number = 0;
    qint64 startLsn = 0;  // INDEX 01
    qint64 endLsn = 0;    // exclusive; for an audio track the end of its sound
    bool audio = true;

    qint64 sectors() const { return endLsn > startLsn ? endLsn - startLsn : 0; }
};

class DiscToc {
public:
    DiscToc() = default;
    explicit DiscToc(std::vector<TrackInfo> tracks);

    bool isEmpty() const { return m_tracks.empty(); }
    int trackCount() const { return int(m_tracks.size()); }
    int firstNumber() const { return m_tracks.empty() ? 0 : m_tracks.front().number; }
    int lastNumber() const { return m_tracks.empty() ? 0 : m_tracks.back().number; }
    const std::vector<TrackInfo> &tracks() const { return m_tracks; }

    // The track with this number, or null.
    const TrackInfo *track(int number) const;
    // The track whose area holds the sector; before the first track: the first.
    const TrackInfo *trackAt(qint64 lsn) const;

    // The first audio track starting at or after the sector, or null.
    const TrackInfo *audioTrackFrom(qint64 lsn) const;
    const TrackInfo *firstAudio() const;
    const TrackInfo *lastAudio() const;
    // Neighbouring audio tracks of a track, or null at the ends.
    const TrackInfo *nextAudio(const TrackInfo *track) const;
    const TrackInfo *previousAudio(const TrackInfo *track) const;

    // Playing time of the whole disc: the sum of the audio tracks.
    qint64 audioSectors() const;
    bool hasAudio() const { return firstAudio() != nullptr; }

    const DiscText &text() const { return m_text; }
    void setText(DiscText text) { m_text = std::move(text); }

private:
    std::vector<TrackInfo> m_tracks;
    DiscText m_text;
};

// MSF and TMSF packing of the device's time format 10, lowest byte first.
qint32 packMsf(qint64 sectors);
qint32 packTmsf(int track, qint64 sectorsIntoTrack);
