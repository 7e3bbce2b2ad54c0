// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A player core with its transport, on a manual clock, playing a coded disc
// into a capture, with every device command written down.
#include "capture_options.h"
#include "capture_runs.h"
#include "disc_rig.h"
#include "player_core.h"
#include "recording_view.h"
#include "transport.h"

#include <functional>
#include <memory>
#include <vector>

constexpr int kTick = PlayerCore::kStatusIntervalMs;

// Where each track of a generated disc lies, in coded frames.
struct DiscMap {
    std::vector<int64_t> starts;  // first frame of each track, then the end of the disc

    explicit DiscMap(const TestDiscLayout &layout)
    {
        int64_t at = 0;
        for (const TestTrack &t : layout.tracks) {
            starts.push_back(at);
            at += t.sectors * kFrames;
        }
        starts.push_back(at);
    }
    int64_t start(int track) const { return starts[size_t(track - 1)]; }
    int64_t end(int track) const { return starts[size_t(track)]; }
    int trackOf(int64_t frame) const
    {
        for (size_t i = 1; i < starts.size(); ++i)
            if (frame < starts[i])
                return int(i);
        return 0;
    }
};

struct PlayerRig {
    ManualClock clock;
    CaptureOutput capture;
    RecordingView view;
    std::unique_ptr<PlayerCore> core;
    std::unique_ptr<Transport> transport;
    QStringList commands;

    explicit PlayerRig(const QString &device, qint64 depthFrames = 0) : capture(depthFrames)
    {
        core = std::make_unique<PlayerCore>(captureOptions(device, clock, capture), view);
        transport = std::make_unique<Transport>(*core);
        QObject::connect(core.get(), &PlayerCore::commandSent,
                         [this](const QString &c) { commands << c; });
    }

    PlayerState &state() { return core->state; }
    CdAudioControl &mmc() { return core->device; }
    QString text1() const { return core->trackField.text(); }

    // Past the open timer and the first status update, as at start-up.
    void open()
    {
        core->openTimer.setInterval(PlayerCore::kOpenRetryMs);
        clock.advance(PlayerCore::kOpenRetryMs + kTick);
    }
    void update(int count = 1)
    {
        for (int i = 0; i < count; ++i)
            clock.advance(kTick);
    }
    // Steps updates until done() holds, at most limit; false if it never did.
    bool updateUntil(const std::function<bool()> &done, int limit = 200)
    {
        for (int i = 0; i < limit; ++i) {
            if (done())
                return true;
            update();
        }
        return done();
    }
    bool updateUntilTrack(int track, int limit = 200)
    {
        return updateUntil([&] { return text1().toInt() == track; }, limit);
    }
    bool updateUntilStopped(int limit = 200)
    {
        return updateUntil([&] { return mmc().mode() == CdAudioControl::ModeStopped; }, limit);
    }

    void playTrack(int track)
    {
        mmc().setFrom(track);
        mmc().setTrack(track);
        core->command(QStringLiteral("play"));
    }
    // What the program editor's hand-over leaves behind.
    void startProgram(const QStringList &entries, qint16 mode = ModeProgram)
    {
        core->programList.clear();
        for (const QString &e : entries)
            core->programList.add(e);
        core->programList.setListIndex(0);
        PlayerState &s = state();
        s.playMode = mode;
        s.programIndex = 0;
        playTrack(entries.first().toInt());
        s.programReserved = true;
        s.pausedByUser = false;
        s.stoppedByUser = false;
        s.playWanted = true;
    }

    std::vector<CapturedRun> runs() const { return capturedRuns(capture.data()); }
    int64_t positionFrame()
    {
        mmc().setTimeFormat(CdAudioControl::TimeFormatMilliseconds);
        const qint64 ms = mmc().position();
        mmc().setTimeFormat(CdAudioControl::TimeFormatTmsf);
        return ms * 441 / 10;
    }
};

// Frames of the given track in the capture, counting repeats.
inline int64_t framesHeardOf(const std::vector<CapturedRun> &runs, const DiscMap &map, int track)
{
    int64_t heard = 0;
    for (const CapturedRun &r : runs) {
        if (r.silence)
            continue;
        const int64_t from = std::max(r.first, map.start(track));
        const int64_t to = std::min(r.last() + 1, map.end(track));
        heard += std::max<int64_t>(0, to - from);
    }
    return heard;
}

// Each run of sound as the track it starts in, whether it starts at that
// track's first frame, and which track it ends in and whether exactly at
// its end: "2[..2]" is a whole track 2.
inline QString runTracks(const std::vector<CapturedRun> &runs, const DiscMap &map)
{
    QStringList parts;
    for (const CapturedRun &r : runs) {
        if (r.silence)
            continue;
        const int first = map.trackOf(r.first), last = map.trackOf(r.last());
        parts << QStringLiteral("%1%2..%3%4")
                     .arg(first)
                     .arg(r.first == map.start(first) ? QStringLiteral("[") : QStringLiteral("("))
                     .arg(last)
                     .arg(r.last() + 1 == map.end(last) ? QStringLiteral("]") : QStringLiteral(")"));
    }
    return parts.join(QLatin1Char(' '));
}
