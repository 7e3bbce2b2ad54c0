// What a user hears after each click on the real player: run by
// bench/run-sound-bench.sh under an X server with a PulseAudio null sink.
// Starts the player on a coded disc, clicks play, the four seeks, next,
// pause, play and stop with xdotool, records the sink's monitor with parec,
// and prints for each click the milliseconds of the old stream still heard
// after it, and the frames repeated (negative) or skipped at the resume.
#include "capture_runs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdio>
#include <vector>

namespace {

constexpr double kRate = 44100.0;

struct Button {
    const char *name;
    int x, y;
};
constexpr Button kPlay{"play", 184, 123};
constexpr Button kPause{"pause", 212, 123};
constexpr Button kStop{"stop", 236, 123};
constexpr Button kNext{"next", 155, 123};
constexpr Button kBack10{"-10 s", 59, 123};
constexpr Button kBack5{"-5 s", 83, 123};
constexpr Button kFwd5{"+5 s", 107, 123};
constexpr Button kFwd10{"+10 s", 131, 123};

struct Click {
    const char *name;
    qint64 atNs;
};

class Recorder {
public:
    explicit Recorder(const QString &source)
    {
        m_parec.start("parec", {"--raw", "--format=s16le", "--rate=44100", "--channels=2",
                                "--latency-msec=5", "-d", source});
        m_clock.start();
    }
    bool started() { return m_parec.waitForStarted(10000) && m_parec.waitForReadyRead(10000); }

    void pump(qint64 ms)
    {
        const qint64 until = m_clock.nsecsElapsed() + ms * 1000000;
        while (m_clock.nsecsElapsed() < until) {
            m_parec.waitForReadyRead(int(std::max<qint64>(1, (until - m_clock.nsecsElapsed()) / 1000000)));
            const QByteArray got = m_parec.readAll();
            if (got.isEmpty())
                continue;
            m_data += got;
            m_arrivals.push_back({m_clock.nsecsElapsed(), m_data.size() / 4});
        }
    }
    qint64 nowNs() const { return m_clock.nsecsElapsed(); }
    bool heardSound() const
    {
        for (const CapturedRun &r : capturedRuns(m_data.right(int(kRate) * 4)))
            if (!r.silence)
                return true;
        return false;
    }

    // The recording's frame that was heard at a moment: frames arrive in
    // real time, so the earliest arrival against its frame count fixes the
    // line between the two.
    double frameAt(qint64 ns) const
    {
        double offset = 1e300;
        for (const auto &a : m_arrivals)
            offset = std::min(offset, a.first / 1e9 - a.second / kRate);
        return (ns / 1e9 - offset) * kRate;
    }
    const QByteArray &data() const { return m_data; }
    void stop()
    {
        m_parec.kill();
        m_parec.waitForFinished();
    }

private:
    QProcess m_parec;
    QElapsedTimer m_clock;
    QByteArray m_data;
    std::vector<std::pair<qint64, qint64>> m_arrivals;  // ns, frames recorded by then
};

// A run of the recording with where it lies in the recording.
struct Placed {
    CapturedRun run;
    qint64 at;
};

std::vector<Placed> placedRuns(const QByteArray &data)
{
    std::vector<Placed> placed;
    qint64 at = 0;
    for (const CapturedRun &r : capturedRuns(data)) {
        placed.push_back({r, at});
        at += r.count;
    }
    return placed;
}

// The first change of what is heard (a run ending) from a little before a
// click on: the recording's frames are placed by when they arrived, so
// the change a click caused cannot lie much before it.
double changeAfter(const std::vector<Placed> &runs, double frame)
{
    for (const Placed &p : runs) {
        const double end = double(p.at + p.run.count);
        if (end >= frame - kRate / 10 && &p != &runs.back())
            return end - frame;
    }
    return 0;
}

// The last coded frame before and the first after a recording position.
const Placed *runBefore(const std::vector<Placed> &runs, double frame)
{
    const Placed *found = nullptr;
    for (const Placed &p : runs)
        if (!p.run.silence && p.at <= frame)
            found = &p;
    return found;
}
const Placed *runAfter(const std::vector<Placed> &runs, double frame)
{
    for (const Placed &p : runs)
        if (!p.run.silence && p.at > frame)
            return &p;
    return nullptr;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: bench_commands PLAYER CODED_DISC.cue [MONITOR]\n");
        return 2;
    }
    QProcess player;
    player.setProcessChannelMode(QProcess::ForwardedChannels);
    player.start(args[1], {"--device", args[2]});
    if (!player.waitForStarted(10000))
        return 1;
    QProcess search;
    search.start("xdotool", {"search", "--sync", "--onlyvisible", "--pid", QString::number(player.processId())});
    search.waitForFinished(20000);
    const QString window = QString::fromUtf8(search.readAllStandardOutput()).split('\n').value(0).trimmed();
    if (window.isEmpty()) {
        std::fprintf(stderr, "no player window\n");
        return 1;
    }
    Recorder recorder(args.value(3, "velor_null.monitor"));
    if (!recorder.started())
        return 1;
    // One xdotool for all clicks, reading them from its input: a click
    // costs no process start, and is counted from the moment it is handed
    // over (the time xdotool takes to send it counts against the player).
    QProcess xdotool;
    xdotool.start("xdotool", {"-"});
    if (!xdotool.waitForStarted(10000))
        return 1;
    std::vector<Click> clicks;
    auto click = [&](const Button &b) {
        clicks.push_back({b.name, recorder.nowNs()});
        xdotool.write(QStringLiteral("mousemove --window %1 %2 %3 click 1\n")
                          .arg(window).arg(b.x).arg(b.y).toUtf8());
        xdotool.waitForBytesWritten(1000);
    };

    recorder.pump(1500);  // the disc is read half a second after start
    for (int attempt = 0; attempt < 10 && !recorder.heardSound(); ++attempt) {
        clicks.clear();
        click(kPlay);
        recorder.pump(1000);
    }
    recorder.pump(2000);
    for (const Button &b : {kFwd10, kFwd5, kBack5, kBack10, kNext}) {
        click(b);
        recorder.pump(1500);
    }
    click(kPause);
    recorder.pump(1500);
    click(kPlay);
    recorder.pump(1500);
    click(kStop);
    recorder.pump(1500);
    recorder.stop();
    xdotool.closeWriteChannel();
    xdotool.waitForFinished(5000);
    player.kill();
    player.waitForFinished();

    const auto runs = placedRuns(recorder.data());
    if (qEnvironmentVariableIsSet("BENCH_VERBOSE")) {
        for (const Placed &p : runs)
            std::fprintf(stderr, "run at %lld: %s\n", (long long)p.at, qPrintable(describeRuns({p.run})));
        for (const Click &c : clicks)
            std::fprintf(stderr, "click %s at frame %.0f\n", c.name, recorder.frameAt(c.atNs));
    }
    double worst = 0;
    std::printf("%-8s %s\n", "click", "heard changed after (ms)");
    for (size_t i = 1; i < clicks.size(); ++i) {
        const double ms = changeAfter(runs, recorder.frameAt(clicks[i].atNs)) * 1000 / kRate;
        worst = std::max(worst, ms);
        std::printf("%-8s %6.1f\n", clicks[i].name, ms);
    }
    // Pause, play: what was heard last before, what first after.
    const size_t pauseAt = clicks.size() - 3;
    const double pausedFrame = recorder.frameAt(clicks[pauseAt].atNs);
    const Placed *before = runBefore(runs, pausedFrame);
    const Placed *after = runAfter(runs, pausedFrame);
    if (before && after) {
        const qint64 skipped = after->run.first - (before->run.first + before->run.count);
        std::printf("resume: %lld frames %s (%.1f ms)\n", (long long)std::llabs(skipped),
                    skipped < 0 ? "repeated" : "skipped", std::llabs(skipped) * 1000 / kRate);
    } else {
        std::printf("resume: not heard\n");
    }
    std::printf("worst command: %.1f ms\n", worst);
    return 0;
}
