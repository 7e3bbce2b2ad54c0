// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// sound/: where the sound goes. The desktop's sound server through libpulse
// (PipeWire serves it too), the null output that keeps time without one, the
// capture output tests listen to, and the timing of what has been heard.
// Uses base/ only; knows nothing of discs or of the player.

#include "cd_audio_format.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>


// Where rendered PCM goes. Nothing here waits on the sound: write() hands
// frames over at once, and the sound thread asks writableFrames() how much
// the output wants before it renders more. Everything but wake-ups is
// called from one thread at a time.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // False when the output has failed (the sound server went away); the
    // caller then switches to another output.
    virtual bool write(const char *pcm, qint64 bytes) = 0;

    // True once the output cannot play any more (the sound server went
    // away); the caller then switches to another output.
    virtual bool failed() { return false; }

    // How many frames the output would take now.
    virtual qint64 writableFrames() = 0;

    // With no room now: how long until there will be some, at most. An
    // output that announces room through its wake-up may answer long.
    virtual qint64 msUntilWritable() { return 0; }

    // Called, from any thread, when room appears or the output fails.
    virtual void setWakeup(std::function<void()> wakeup) { (void)wakeup; }

    // Frames handed over but not yet heard.
    virtual qint64 bufferedFrames() = 0;

    // False while the sound server has not begun to play the stream (a
    // sink may take a while to take up a new stream): what it buffers
    // then does not drain.
    virtual bool clockRunning() { return true; }

    // Drop what is buffered but not yet heard, at once.
    virtual void discard() = 0;

    // Drop the newest frames handed over; what comes before them stays and
    // is heard without a break. The next write follows the frames kept.
    virtual void dropNewest(qint64 frames) = 0;

    // Stop consuming and keep what is buffered (true), or go on with it.
    virtual void hold(bool held) = 0;

    // A sound server takes a hold some time after it is asked for; until
    // it has, what bufferedFrames() says may still be played. True once
    // the last hold asked for has taken effect.
    virtual bool holdSettled() { return true; }

    // The stream's own volume, 0 to 1, apart from any mute. Only a sound
    // server has a mixer for it; any other output just keeps the value.
    virtual void setVolume(double volume) { m_volume = volume; }
    double volume() const { return m_volume; }

    // Called, from the output's own thread, with the stream's volume as
    // the server's mixer has it: at once where it is known, and whenever
    // the user changes it there. Only a sound server has such a mixer.
    virtual void setVolumeListener(std::function<void(double)> listener) { (void)listener; }

    virtual QString name() const = 0;

private:
    double m_volume = 1.0;
};

class Clock;

// Records what a listener would hear, for tests. It models a sink that
// keeps up to depth frames buffered and plays them as the clock moves on;
// depth 0 hears every frame as it is written. A sink that acts late (a
// sound server at a high latency, setActLateFrames) takes a discard or a
// hold only after playing on for that many frames.
class CaptureOutput : public AudioOutput {
public:
    explicit CaptureOutput(qint64 depthFrames = 0) : m_depth(depthFrames) {}

    bool write(const char *pcm, qint64 bytes) override;
    qint64 writableFrames() override;
    qint64 bufferedFrames() override { return m_pending.size() / kBytesPerFrame; }
    void discard() override;
    void dropNewest(qint64 frames) override;
    void hold(bool held) override;
    bool holdSettled() override { return m_held == m_holdWanted; }
    QString name() const override { return QStringLiteral("capture"); }

    // The sink plays on by this many frames (nothing while held). What it
    // wants and does not get within the same step is lost as silence.
    void play(qint64 frames);
    void endStep() { m_owed = 0; }
    void setActLateFrames(qint64 frames) { m_actLate = frames; }

    const QByteArray &data() const { return m_data; }
    qint64 frames() const { return m_data.size() / kBytesPerFrame; }
    void clear() { m_data.clear(); }

private:
    void hearOwed();
    void playOn(qint64 frames);
    void scheduleAct();
    void act();

    qint64 m_depth;
    qint64 m_actLate = 0;
    QByteArray m_data;
    QByteArray m_pending;
    qint64 m_owed = 0;
    bool m_held = false;
    bool m_holdWanted = false;
    qint64 m_actIn = -1;           // frames still played before acting; -1: nothing to do
    qint64 m_discardFrames = -1;   // of the oldest pending frames, those a discard drops
};

// Consumes audio in real time (by the clock) and discards it: the player
// keeps running with no sound server.
class NullOutput : public AudioOutput {
public:
    explicit NullOutput(Clock *clock, bool realTime);
    bool write(const char *pcm, qint64 bytes) override;
    qint64 writableFrames() override;
    qint64 msUntilWritable() override;
    qint64 bufferedFrames() override;
    void discard() override;
    void dropNewest(qint64 frames) override;
    void hold(bool held) override;
    QString name() const override { return QStringLiteral("null"); }

    // Stays this far ahead of what is "heard", like a sound server's buffer.
    static constexpr qint64 kDepthFrames = kSampleRate / 4;

private:
    Clock *m_clock;
    bool m_realTime;
    qint64 m_startMs = -1;
    qint64 m_framesWritten = 0;
    qint64 m_heldBuffered = -1;
};

enum class OutputKind { Auto, Pulse, Null, Capture };
