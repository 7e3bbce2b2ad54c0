#pragma once

#include "audio_output.h"

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;

// Sound through the desktop's sound server (PulseAudio, or PipeWire's
// PulseAudio service), on libpulse's own thread. Nothing here waits on the
// server: writes go into the stream's buffer, the server's requests for
// more data wake the sound thread, and a command drops or holds what is
// buffered without waiting for an answer, so a stopped or frozen server
// never holds up the player.
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
    void discard() override;
    void dropNewest(qint64 frames) override;
    void hold(bool held) override;
    QString name() const override { return QStringLiteral("pulse"); }

    // Commands drop or hold what is buffered at once, so the buffer's depth
    // costs no answer time and is chosen for few wake-ups: the server asks
    // for data every kRequestMs and plays on from a buffer kTargetLatencyMs
    // long. Playing starts as soon as kStartThresholdMs are in.
    static constexpr int kTargetLatencyMs = 1000;
    static constexpr int kRequestMs = 250;
    static constexpr int kStartThresholdMs = 20;
    static constexpr int kConnectTimeoutMs = 3000;

private:
    PulseOutput() = default;
    bool open(const std::function<bool()> &cancelled);
    bool waitUntilReady(const std::function<bool()> &cancelled);
    bool isGood() const;
    void wake();

    static void onStateChange(void *self);
    static void onRequest(pa_stream *, size_t, void *self);
    static void onTick(void *self);

    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    pa_stream *m_stream = nullptr;
    std::function<void()> m_wakeup;  // under the loop's lock
    qint64 m_seekBackBytes = 0;
    bool m_held = false;
};
