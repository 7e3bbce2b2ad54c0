// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio_output.h"

#include "stream_ledger.h"

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;

// Sound through the desktop's sound server (PulseAudio, or PipeWire's
// PulseAudio service), on libpulse's own thread. Nothing here waits on the
// server: writes go into the stream's buffer, the server's requests for
// more data wake the sound thread, and a command drops or holds what is
// buffered without waiting for an answer, so a stopped or frozen server
// never holds up the player.
//
// The sink plays out only its own short latency of the stream (the
// stream's buffer is long, the sink's latency asked for is short), and a
// command replaces what the stream holds by silence rather than flushing
// or corking it: both make the server rewind its sink, and a sink's
// monitor, which the desktop's recorders and level meters read, loses
// what follows a rewind. Where each write landed in the stream is learnt
// from the server's timing, so that what is heard is known to the frame.
class PulseOutput : public AudioOutput {
public:
    // Null when no server answers within kConnectTimeoutMs, or when
    // cancelled() turns true while waiting.
    static std::unique_ptr<PulseOutput> connect(const std::function<bool()> &cancelled);
    ~PulseOutput() override;

    bool write(const char *pcm, qint64 bytes) override;
    qint64 writableFrames() override;
    bool failed() override;
    // The server's request for more wakes the sound thread; this only
    // bounds a wait that no request ends.
    qint64 msUntilWritable() override { return kTargetLatencyMs; }
    void setWakeup(std::function<void()> wakeup) override;
    qint64 bufferedFrames() override;
    bool clockRunning() override;
    void discard() override;
    void dropNewest(qint64 frames) override;
    void hold(bool held) override;
    bool holdSettled() override;
    // The stream's volume in the server's mixer, as the desktop's volume
    // control shows it (0.5 is its 50 %); not waiting for the answer.
    void setVolume(double volume) override;
    void setVolumeListener(std::function<void(double)> listener) override;
    QString name() const override { return QStringLiteral("pulse"); }

    // The stream's buffer is long, so that the server asks for data
    // seldom (about every kRequestMs); of it, the sink holds only
    // kSinkLatencyMs. What the sink holds is played out whatever a command
    // does to the stream (a rewind could take it back, but not on PipeWire,
    // and not from a sink's monitor), so it is kept short: a command is
    // heard within it on any server. The price is the server's: it wakes
    // once per kSinkLatencyMs while the player plays.
    static constexpr int kTargetLatencyMs = 1000;
    static constexpr int kSinkLatencyMs = 20;
    static constexpr int kRequestMs = (kTargetLatencyMs - kSinkLatencyMs) / 2;
    static constexpr int kStartThresholdMs = 20;
    static constexpr int kConnectTimeoutMs = 3000;

private:
    PulseOutput() = default;
    bool open(const std::function<bool()> &cancelled);
    bool waitUntilReady(const std::function<bool()> &cancelled);
    bool isGood() const;
    void wake();
    void cork(bool corked);
    bool writeLocked(const char *pcm, qint64 bytes, bool replacing, bool audio);
    void writeSilence(qint64 frames, bool replacing);
    void keepIdleStreamFed();
    void silenceFromNow();
    void learnWriteIndex();

    static void onStateChange(void *self);
    static void onRequest(pa_stream *, size_t, void *self);
    static void onTick(void *self);
    static void onTimed(pa_stream *, void *self);
    void askStreamVolume();
    void onStreamChanged(uint32_t index);
    void onVolumeSeen(double volume);

    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    pa_stream *m_stream = nullptr;
    std::function<void()> m_wakeup;  // under the loop's lock
    std::function<void(double)> m_volumeListener;  // under the loop's lock
    double m_mixerVolume = -1;       // as last reported; -1: not yet
    qint64 m_seekBackBytes = 0;
    StreamLedger m_ledger;
    bool m_held = false;
    bool m_idle = true;              // silence is queued, not sound
    qint64 m_idleFrames = 0;         // silence written since
    bool m_corked = false;
};
