// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc_id.h"

#include "disc_toc.h"

#include <discid/discid.h>

#include <memory>

namespace {
// Positions on the disc count from the end of the two-second lead-in.
constexpr int kLeadInSectors = 150;
// Between the audio session of an enhanced CD and its data lie the first
// session's lead-out, the second's lead-in and its pregap; MusicBrainz ends
// the audio where the first session's lead-out begins.
constexpr int kSessionGapSectors = 11400;

// Where the audio ends as MusicBrainz counts it: a data track after the
// last audio track (an enhanced CD) is left out with its session gap.
qint64 audioLeadOut(const DiscToc &toc, const TrackInfo &lastAudio)
{
    for (const TrackInfo &t : toc.tracks())
        if (t.number > lastAudio.number && !t.audio)
            return t.startLsn - kSessionGapSectors;
    return lastAudio.endLsn;
}
}  // namespace

DiscIdentity discIdentity(const DiscToc &toc)
{
    const TrackInfo *last = toc.lastAudio();
    if (!last)
        return {};
    // Tracks up to the last audio track count, a leading data track of a
    // mixed-mode disc included.
    const int first = toc.firstNumber();
    int offsets[100] = {};
    offsets[0] = int(audioLeadOut(toc, *last) + kLeadInSectors);
    for (const TrackInfo &t : toc.tracks())
        if (t.number <= last->number && t.number >= 1 && t.number <= 99)
            offsets[t.number] = int(t.startLsn + kLeadInSectors);
    const std::unique_ptr<DiscId, void (*)(DiscId *)> disc(discid_new(), discid_free);
    if (!discid_put(disc.get(), first, last->number, offsets))
        return {};
    return {QString::fromLatin1(discid_get_id(disc.get())),
            QString::fromLatin1(discid_get_toc_string(disc.get())).replace(QLatin1Char(' '), QLatin1Char('+'))};
}
