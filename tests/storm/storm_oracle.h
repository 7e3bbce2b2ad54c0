// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the player's state must always satisfy, and which sound it may
// have made: every captured frame is silence or a frame of an audio track
// that the state explains.
#include "disc_shelf.h"
#include "player_core.h"

#include <vector>

inline QString brokenInvariant(PlayerCore &core)
{
    const PlayerState &s = core.state;
    const ProgramList &list = core.programList;
    const bool programMode = s.playMode == ModeProgram || s.playMode == ModeProgramRepeat;
    if (!(s.playMode == ModeNormal || s.playMode == ModeTrackRepeat || s.playMode == ModeDiscRepeat || programMode))
        return QStringLiteral("play mode %1").arg(s.playMode);
    if (s.programReserved != programMode)
        return QStringLiteral("program reserved %1 in play mode %2").arg(s.programReserved).arg(s.playMode);
    if (s.playWanted && (s.stoppedByUser || s.pausedByUser))
        return QStringLiteral("play wanted with stopped %1 and paused %2").arg(s.stoppedByUser).arg(s.pausedByUser);
    if (s.programReserved && (list.isEmpty() || list.listIndex() < 0))
        return QStringLiteral("program play with %1 entries, entry %2 selected").arg(list.count()).arg(list.listIndex());
    if (s.programReserved && s.programIndex != list.listIndex())
        return QStringLiteral("program index %1 but entry %2 selected").arg(s.programIndex).arg(list.listIndex());
    if (list.count() > ProgramList::kMaxEntries)
        return QStringLiteral("%1 program entries").arg(list.count());
    if ((s.muted) != core.device.silent())
        return QStringLiteral("muted %1 but the device %2 silent").arg(s.muted).arg(core.device.silent() ? "is" : "is not");
    if (!core.hasDisc() && (s.playWanted || s.programReserved))
        return QStringLiteral("no disc, yet play wanted %1 and program reserved %2").arg(s.playWanted).arg(s.programReserved);
    if (core.device.timeFormat() != CdAudioControl::TimeFormatTmsf)
        return QStringLiteral("time format left at %1").arg(core.device.timeFormat());
    return QString();
}

// The tracks that may be heard while the clock moves on from here: the
// sequencing keeps track repeat to the repeated track (and the tracks
// before it, which play on into it) and program play to the program; the
// track the device stands in now may always go on for a moment. Asked to
// play a data track, the device plays the audio track after it.
struct Hearing {
    bool anything = false;
    std::vector<bool> track = std::vector<bool>(100, true);

    static Hearing now(PlayerCore &core, const std::vector<const DiscShape *> &discs)
    {
        const PlayerState &s = core.state;
        Hearing h;
        h.anything = core.device.mode() == CdAudioControl::ModePlaying || s.playWanted;
        const int current = core.device.position() & 0xFF;
        if (!s.playWanted || !(s.programReserved || s.playMode == ModeTrackRepeat))
            return h;
        // Repeat pressed before the first status update takes track 0,
        // which the device cannot play: the disc then plays on.
        if (!s.programReserved && (s.repeatTrack < 1 || s.repeatTrack > core.device.trackCount()))
            return h;
        for (int t = 0; t < 100; ++t)
            h.track[size_t(t)] = !s.programReserved && t <= s.repeatTrack;
        for (int i = 0; s.programReserved && i < core.programList.count(); ++i)
            h.track[size_t(qBound(0, core.programList.entry(i).toInt(), 99))] = true;
        h.track[size_t(qBound(0, current, 99))] = true;
        for (const DiscShape *disc : discs)
            h.allowAudioAfterData(*disc);
        return h;
    }

private:
    void allowAudioAfterData(const DiscShape &disc)
    {
        bool afterAllowedData = false;
        for (const TrackSpan &t : disc.tracks) {
            if (t.audio && afterAllowedData)
                track[size_t(t.number)] = true;
            if (t.audio)
                afterAllowedData = false;
            else if (track[size_t(t.number)])
                afterAllowedData = true;
        }
    }
};

// The first captured frame that neither silence nor the state explains,
// described; empty when all are explained. Any of the discs may be the one
// the player still has open.
inline QString unexplainedFrame(const QByteArray &pcm, const Hearing &hearing,
                                const std::vector<const DiscShape *> &discs)
{
    const TrackSpan *span = nullptr;
    for (int64_t i = 0; i < pcm.size() / 4; ++i) {
        int16_t left, right;
        std::memcpy(&left, pcm.constData() + i * 4, 2);
        std::memcpy(&right, pcm.constData() + i * 4 + 2, 2);
        uint32_t lsn = 0;
        int frame = 0;
        if (!decodeCodedFrame(left, right, lsn, frame)) {
            if (left != 0 || right != 0)
                return QStringLiteral("frame %1 of the step is neither silence nor disc audio").arg(i);
            continue;
        }
        const int64_t index = codedFrameIndex(lsn, frame);
        if (!hearing.anything)
            return QStringLiteral("disc frame %1 heard while nothing may play").arg(index);
        if (span && index >= span->start && index < span->end)
            continue;
        span = nullptr;
        for (const DiscShape *disc : discs) {
            const TrackSpan *found = disc->audioSpanOf(index);
            if (found && hearing.track[size_t(found->number)]) {
                span = found;
                break;
            }
        }
        if (!span)
            return QStringLiteral("disc frame %1 (sector %2) is in no audio track that may be heard").arg(index).arg(lsn);
    }
    return QString();
}
