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
    // so its depth is set by two other things: it stays under the 200 ms
    // between status updates, so that a play the sequencing sends at the
    // update after a track change never flushes the end of the track
    // before; and the server asks for data only twice per buffer, to keep
    // wake-ups few. Playing starts as soon as the first 20 ms are in.
    static constexpr int kTargetLatencyMs = 180;
    static constexpr int kRequestMs = 90;
    static constexpr int kStartThresholdMs = 20;

private:
    explicit PulseOutput(pa_simple *stream) : m_stream(stream) {}
    pa_simple *m_stream;
};
