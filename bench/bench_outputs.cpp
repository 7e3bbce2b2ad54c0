// SPDX-License-Identifier: GPL-3.0-or-later
// Compares two ways of sending a coded test disc to the sound server, for
// run-output-comparison.sh: the device control (PulseOutput, fed by its
// sound thread) and a plain push-mode QAudioSink player of the same PCM.
//   bench_outputs latency velor|qt N DISC   N rounds: play, time to the first
//                                           sound at the sink's monitor
//   bench_outputs tail velor|qt N DISC      N rounds: play a while, stop; how
//                                           much sound still reaches the sink
//   bench_outputs play velor|qt SECONDS DISC  play from the start (recorded,
//                                           loaded and timed from outside)
//   bench_outputs runs RECORDING            gaps and repeats in a raw
//                                           recording of the coded disc
// DISC is a .cue with a .bin of the same base name next to it; the monitor
// is $VELOR_MONITOR (default velor_null.monitor).
#include "capture_runs.h"
#include "cd_audio_control.h"
#include "open_device.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMediaDevices>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kFrameBytes = 4;
double framesToMs(qint64 frames) { return frames * 1000.0 / kRate; }

class Player {
public:
    virtual ~Player() = default;
    virtual bool play(qint64 fromFrame) = 0;
    virtual void stop() = 0;
    virtual qint64 positionFrame() = 0;  // as the player reports it
};

class VelorPlayer : public Player {
public:
    explicit VelorPlayer(const QString &cue) : m_mmc(options(cue))
    {
        openAndWaitForDisc(m_mmc, CdAudioControl::TimeFormatMilliseconds);
    }
    bool play(qint64 fromFrame) override
    {
        m_mmc.setFrom(qint32(fromFrame * 1000 / kRate));
        m_mmc.command("play");
        return m_mmc.mode() == CdAudioControl::ModePlaying;
    }
    void stop() override { m_mmc.command("stop"); }
    qint64 positionFrame() override { return qint64(m_mmc.position()) * kRate / 1000; }

private:
    static CdAudioControl::Options options(const QString &cue)
    {
        CdAudioControl::Options o;
        o.device = cue;
        return o;
    }
    CdAudioControl m_mmc;
};

// What a careful application would write with Qt Multimedia alone: the
// sink's buffer is topped up from the file by a timer; stop drops what is
// buffered; the position is where the sink says it has got to.
class QtSinkPlayer : public Player {
public:
    static constexpr int kBufferMs = 200;
    static constexpr int kFeedMs = 20;

    explicit QtSinkPlayer(const QString &bin) : m_file(bin)
    {
        QAudioFormat format;
        format.setSampleRate(kRate);
        format.setChannelCount(2);
        format.setSampleFormat(QAudioFormat::Int16);
        m_sink = std::make_unique<QAudioSink>(QMediaDevices::defaultAudioOutput(), format);
        m_sink->setBufferSize(kRate * kBufferMs / 1000 * kFrameBytes);
        m_file.open(QIODevice::ReadOnly);
        m_timer.setInterval(kFeedMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { feed(); });
    }
    bool play(qint64 fromFrame) override
    {
        stop();
        if (!m_file.seek(fromFrame * kFrameBytes))
            return false;
        m_from = fromFrame;
        m_device = m_sink->start();
        if (!m_device)
            return false;
        feed();
        m_timer.start();
        return true;
    }
    void stop() override
    {
        m_timer.stop();
        if (m_device) {
            m_sink->reset();
            m_sink->stop();
            m_device = nullptr;
        }
    }
    qint64 positionFrame() override { return m_from + m_sink->processedUSecs() * kRate / 1000000; }

private:
    void feed()
    {
        const QByteArray pcm = m_file.read(m_sink->bytesFree() / kFrameBytes * kFrameBytes);
        if (!pcm.isEmpty())
            m_device->write(pcm);
    }

    QFile m_file;
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice *m_device = nullptr;
    QTimer m_timer;
    qint64 m_from = 0;
};

std::unique_ptr<Player> makePlayer(const QString &kind, const QString &cue)
{
    if (kind == "velor")
        return std::make_unique<VelorPlayer>(cue);
    if (kind == "qt") {
        QString bin = cue;
        bin.replace(QRegularExpression("\\.cue$"), ".bin");
        return std::make_unique<QtSinkPlayer>(bin);
    }
    return nullptr;
}

// Runs the event loop (the Qt player is fed from it) for ms, or until done().
void runFor(int ms, const std::function<bool()> &done = {})
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    if (done)
        poll.start(1);
    loop.exec();
}

// The sink's monitor, recorded as it arrives.
struct Recording {
    QProcess parec;
    QByteArray pcm;
    QElapsedTimer clock;
    qint64 soundAtNs = -1;  // when the first non-silent bytes arrived, by clock

    bool start()
    {
        QObject::connect(&parec, &QProcess::readyRead, [this] { take(); });
        parec.start("parec", {"--raw", "--format=s16le", "--rate=44100", "--channels=2",
                              "--latency-msec=5", "-d",
                              qEnvironmentVariable("VELOR_MONITOR", "velor_null.monitor")});
        // The monitor can take over a second to deliver its first bytes.
        runFor(5000, [this] { return !pcm.isEmpty(); });
        return !pcm.isEmpty();
    }
    void take()
    {
        const QByteArray data = parec.readAll();
        if (soundAtNs < 0 && std::any_of(data.begin(), data.end(), [](char c) { return c != 0; }))
            soundAtNs = clock.nsecsElapsed();
        pcm += data;
    }
    // Forget what came so far (after letting the sink fall silent).
    void restart()
    {
        runFor(500);
        take();
        pcm.clear();
        soundAtNs = -1;
        clock.start();
    }
    ~Recording()
    {
        parec.kill();
        parec.waitForFinished();
    }
};

void printStats(const char *what, std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    std::printf("%s: median %.1f ms, min %.1f, max %.1f over %zu\n", what, v[v.size() / 2], v.front(),
                v.back(), v.size());
}

qint64 roundStart(int round) { return qint64(2 + round % 5) * kRate; }

int measureLatency(Player &player, int rounds)
{
    Recording rec;
    if (!rec.start())
        return 1;
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        player.stop();
        rec.restart();
        player.play(roundStart(i));
        runFor(5000, [&] { return rec.soundAtNs >= 0; });
        if (rec.soundAtNs >= 0)
            ms.push_back(rec.soundAtNs / 1e6);
    }
    if (ms.empty())
        return 1;
    printStats("play to first sound at the sink (incl. parec's 5 ms)", ms);
    return 0;
}

int measureTail(Player &player, int rounds)
{
    Recording rec;
    if (!rec.start())
        return 1;
    std::vector<double> overshoot, after;
    for (int i = 0; i < rounds; ++i) {
        player.stop();
        rec.restart();
        player.play(roundStart(i));
        runFor(1000 + (137 * i) % 1000);
        rec.take();
        const qint64 recordedAtStop = rec.pcm.size() / kFrameBytes;
        const qint64 reported = player.positionFrame();
        player.stop();
        runFor(800);
        rec.take();
        // The last coded frame that reached the sink, and where in the recording.
        qint64 at = 0, last = -1, lastAt = 0;
        for (const CapturedRun &r : capturedRuns(rec.pcm)) {
            at += r.count;
            if (!r.silence)
                last = r.last(), lastAt = at;
        }
        if (last < 0)
            continue;
        overshoot.push_back(framesToMs(last + 1 - reported));
        after.push_back(framesToMs(lastAt - recordedAtStop));
    }
    if (overshoot.empty())
        return 1;
    printStats("sound past the position reported at stop (by content)", overshoot);
    printStats("sound after the stop call (by the recording's clock)", after);
    return 0;
}

int playFor(Player &player, int seconds)
{
    if (!player.play(0))
        return 1;
    runFor(seconds * 1000);
    std::printf("position %.1f s\n", player.positionFrame() / double(kRate));
    player.stop();
    return 0;
}

// Gaps and repeats between the first and the last sound of a recording.
int analyse(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    std::vector<CapturedRun> runs = capturedRuns(file.readAll());
    while (!runs.empty() && runs.back().silence)
        runs.pop_back();
    if (!runs.empty() && runs.front().silence)
        runs.erase(runs.begin());
    if (runs.empty())
        return 1;
    qint64 coded = 0, silent = 0, skipped = 0, repeated = 0, breaks = 0;
    const CapturedRun *previous = nullptr;
    for (const CapturedRun &r : runs) {
        if (r.silence) {
            silent += r.count;
            continue;
        }
        coded += r.count;
        if (previous) {
            ++breaks;
            const qint64 jump = r.first - (previous->last() + 1);
            (jump > 0 ? skipped : repeated) += jump > 0 ? jump : -jump;
        }
        previous = &r;
    }
    std::printf("%.2f s to %.2f s, %lld breaks: %.1f ms silence inserted, %.1f ms skipped, %.1f ms repeated\n",
                framesToMs(runs.front().first) / 1000, framesToMs(previous->last() + 1) / 1000,
                (long long)breaks, framesToMs(silent), framesToMs(skipped), framesToMs(repeated));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == "runs")
        return analyse(args[2]);
    std::unique_ptr<Player> player = args.size() == 5 ? makePlayer(args[2], args[4]) : nullptr;
    if (!player) {
        std::fprintf(stderr, "usage: bench_outputs latency|tail|play velor|qt N DISC | runs RECORDING\n");
        return 2;
    }
    const int n = args[3].toInt();
    if (args[1] == "latency")
        return measureLatency(*player, n);
    if (args[1] == "tail")
        return measureTail(*player, n);
    if (args[1] == "play")
        return playFor(*player, n);
    return 2;
}
