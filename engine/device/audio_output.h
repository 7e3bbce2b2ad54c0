#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

// 44 100 Hz, 16-bit little-endian stereo: the format of CD audio sectors.
constexpr int kSampleRate = 44100;
constexpr int kBytesPerFrame = 4;
constexpr int kFramesPerSector = 588;
constexpr int kSectorBytes = kFramesPerSector * kBytesPerFrame;  // 2352
constexpr int kSectorsPerSecond = 75;

// Where rendered PCM goes. write() may block to pace the stream in real
// time (the sound-server and real-time null outputs do); everything is
// called from one thread at a time.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // False when the output has failed (the sound server went away); the
    // caller then switches to another output.
    virtual bool write(const char *pcm, qint64 bytes) = 0;

    // Frames handed over but not yet heard.
    virtual qint64 bufferedFrames() = 0;

    // Drop what is buffered but not yet heard.
    virtual void discard() = 0;

    // Block until what is buffered has been heard (used at the end of disc).
    virtual void drain() {}

    virtual QString name() const = 0;
};

// Records every frame written, for tests. Nothing is buffered, so what has
// been written counts as heard at once.
class CaptureOutput : public AudioOutput {
public:
    bool write(const char *pcm, qint64 bytes) override
    {
        m_data.append(pcm, int(bytes));
        return true;
    }
    qint64 bufferedFrames() override { return 0; }
    void discard() override {}
    QString name() const override { return QStringLiteral("capture"); }

    const QByteArray &data() const { return m_data; }
    qint64 frames() const { return m_data.size() / kBytesPerFrame; }
    void clear() { m_data.clear(); }

private:
    QByteArray m_data;
};

class Clock;

// Consumes audio in real time (by the clock) and discards it: the player
// keeps running with no sound server.
class NullOutput : public AudioOutput {
public:
    explicit NullOutput(Clock *clock, bool realTime);
    bool write(const char *pcm, qint64 bytes) override;
    qint64 bufferedFrames() override;
    void discard() override;
    QString name() const override { return QStringLiteral("null"); }

private:
    Clock *m_clock;
    bool m_realTime;
    qint64 m_startMs = -1;
    qint64 m_framesWritten = 0;
};

enum class OutputKind { Auto, Pulse, Null, Capture };
