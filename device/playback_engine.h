// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio_output.h"
#include "disc_toc.h"
#include "output_timing.h"
#include "problem_report.h"
#include "wakeup.h"

#include <QString>

#include <functional>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class Clock;
class DiscDrive;
class DriveAccess;

// The disc as one continuous stream of sample frames (588 to a sector,
// counted from sector 0), played from a cursor to the end of the disc's
// audio. Transport calls come from the UI thread and change the reported
// state at once; the sound thread (or, on a manual clock, the clock's
// pacer) renders the stream into the output.
//
// At every track start and at the end of the disc the stream halts and the
// boundary listener runs before the first frame of the new track is
// rendered; a play it issues takes over at exactly that point.
class PlaybackEngine {
public:
    enum class State { NoDisc, Open, Stopped, Playing, Paused };

    struct Config {
        QString device;
        Clock *clock = nullptr;
        OutputKind output = OutputKind::Auto;
        CaptureOutput *capture = nullptr;
        DriveAccess *drive = nullptr;
        bool discThread = false;
        // After a disc was read or lost, on the disc thread (or inline).
        std::function<void()> discChanged;
    };

    PlaybackEngine(const Config &config, std::function<void()> boundaryListener);
    ~PlaybackEngine();

    void open();
    void close();
    void eject();
    // From the frame given, or (none) from where the stream stands. False
    // when there is nothing to play from there.
    bool play(std::optional<qint64> fromFrame);
    void pause();
    void stop();
    // Moves the stream; a running play goes on from there.
    void moveTo(qint64 frame);
    void setSilent(bool silent);
    // The stream's volume, 0 to 1; kept for a stream yet to come.
    void setVolume(double volume);
    // The volume last asked for or last seen in the sound server's mixer,
    // whichever came later; none while neither has been.
    std::optional<double> volume() const;
    void checkMedia();
    // Hands the looking after the drive to the disc thread while the
    // player rests, and takes it back. Without a disc thread the caller
    // has the drive looked at every DiscDrive::kWatchMs instead.
    void watchDrive(bool watching);
    void lookAtDrive();
    // The boundary listener has run; the stream may go on.
    void boundaryHandled();

    State state() const;
    qint64 positionFrame() const;
    std::shared_ptr<const DiscToc> toc() const;
    QString outputName() const;
    bool isSynchronous() const { return m_synchronous; }
    bool hasDiscThread() const { return !m_synchronous || m_config.discThread; }

    static constexpr int kChunkFrames = kFramesPerSector * 8;

private:
    void onToc(std::shared_ptr<const DiscToc> toc, bool ejected);
    std::optional<qint64> playableFrom(qint64 frame, bool wrapToStart) const;
    qint64 heardLocked() const;
    qint64 trackEndFrame(qint64 frame) const;
    void startSegmentLocked(qint64 frame);
    void changedLocked();
    void followStateLocked();
    void dropDisc(State state);
    void wakeSoundThread();

    // Rendering, on the sound thread or the pacer. The frames rendered;
    // -1 when nothing can be now (not playing, or the disc not read yet).
    qint64 renderStep(qint64 maxFrames);
    void applyOutputRequests();
    void applyVolume();
    bool outputClockRunning() const;
    void measureOutput();
    void settlePause();
    qint64 largestWrite() const;
    bool waitForRoom(uint64_t seen);
    void drainToBoundaryLead(quint64 generation);
    void reachBoundary(quint64 generation);
    qint64 readFrames(qint64 frame, qint64 count, char *out, quint64 generation);
    bool isCurrent(quint64 generation) const;
    void ensureOutput();
    void useOutput(std::unique_ptr<AudioOutput> output);
    void soundLoop();
    bool discLoaded() const;
    void pace(qint64 nowMs);

    Config m_config;
    bool m_synchronous;
    std::function<void()> m_boundaryListener;
    ProblemReport m_report;
    std::unique_ptr<DiscDrive> m_drive;

    mutable std::mutex m_mutex;
    Wakeup m_wakeup;
    std::shared_ptr<const DiscToc> m_toc;
    State m_state = State::NoDisc;
    bool m_opening = false;
    qint64 m_cursor = 0;       // next frame to render
    qint64 m_frozen = 0;       // the position while not playing
    OutputTiming m_timing;
    bool m_discardPending = false;
    bool m_holdWanted = false;       // paused with the output's buffer kept
    bool m_pauseSettled = true;      // m_frozen is where the held output stopped
    bool m_atBoundary = false;
    quint64 m_generation = 0;
    quint64 m_tocSerial = 0;
    bool m_silent = false;
    std::optional<double> m_volume;  // none asked for yet
    bool m_quit = false;

    // Sound-thread side.
    std::unique_ptr<AudioOutput> m_output;
    QString m_outputName;
    qint64 m_nextReconnectMs = 0;
    bool m_onFallback = false;
    bool m_outputHeld = false;
    std::optional<double> m_outputVolume;
    // Written by the output's own thread too, which must never wait for
    // the engine's lock: it may be held by a thread waiting for the output.
    std::atomic<double> m_knownVolume{-1};
    // The position told last, and of which stream.
    mutable qint64 m_shownFrame = -1;
    mutable quint64 m_shownGeneration = 0;
    mutable qint64 m_shownStreamStart = -1;
    std::vector<char> m_chunk;
    std::vector<char> m_sector;
    qint64 m_sectorLsn = -1;
    quint64 m_sectorTocSerial = 0;

    // Pacer side (manual clock).
    int m_pacerId = 0;
    qint64 m_pacedFrames = 0;

    std::thread m_soundThread;
};
