#pragma once

#include "audio_output.h"

struct pa_simple;

// Sound through the desktop's sound server (PulseAudio, or PipeWire's
// PulseAudio service). write() blocks while the server's buffer is full,
// which paces the stream.
class PulseOutput : public AudioOutput {
public:
    // Null when no server answers.
    static std::unique_ptr<PulseOutput> connect();
    ~PulseOutput() override;

    bool write(const char *pcm, qint64 bytes) override;
    qint64 bufferedFrames() override;
    void discard() override;
    void drain() override;
    QString name() const override { return QStringLiteral("pulse"); }

    // Commands are heard at once whatever the buffer holds (it is flushed),
    // so it can be long: few wake-ups, and time to spare at a busy moment.
    // Playing starts as soon as the first few milliseconds are in.
    static constexpr int kTargetLatencyMs = 400;
    static constexpr int kRequestMs = 200;
    static constexpr int kStartThresholdMs = 20;

private:
    explicit PulseOutput(pa_simple *stream) : m_stream(stream) {}
    pa_simple *m_stream;
};
