// SPDX-License-Identifier: GPL-3.0-or-later
// What a user hears after each click on the real player: run by
// bench/run-sound-bench.sh under an X server with a PulseAudio (or
// pipewire-pulse) null sink. Starts the player on a coded disc, clicks
// play, the four seeks, next, three pauses and resumes, stop, play and stop
// with xdotool, records the sink's monitor with record_monitor, and prints
// for each click the milliseconds of the old sound still heard after it,
// the frames lost at each start from stopped and the frames repeated or
// skipped at each resume.
//
// The recording runs with a large fragment, so the sink keeps the latency
// the player gives it. Frames then arrive up to that latency before they
// are heard, in bursts; when each was heard comes from the record latency
// the server reports at each read (see record_monitor.cpp), checked
// against what the sink's latency allows (see mapReads).
#include "capture_runs.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr double kRate = 44100.0;
constexpr qint64 kMs = 1000000;
// Between clicks: longer than the largest sink latency plus what a command
// may take, so that each change heard belongs to the click before it.
constexpr qint64 kGapMs = 2500;
// A change heard this little before a click is still counted as its own:
// room for the mapping's error.
constexpr double kEarlyMs = 50;
// Play undisturbed before the first command, long enough for the sink to
// settle and several reads at the longest sink latency.
constexpr qint64 kSettledMs = 3000;

qint64 monotonicNs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

double msOfFrames(double frames) { return frames * 1000 / kRate; }

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

enum class After { Other, StartFromStop, Resume };

struct Click {
    const char *name;
    After kind;
    qint64 ns;
};

double percentile(const std::vector<double> &sorted, double p)
{
    return sorted.empty() ? 0 : sorted[size_t(p * double(sorted.size() - 1) + 0.5)];
}

// One read of the recording: when it was done, the frames in by then, and
// the record latency the server gave for the read position.
struct Read {
    double ns, frames, latencyUs;
    double heardOffsetNs() const { return arrivalOffsetNs() - latencyUs * 1000; }
    double arrivalOffsetNs() const { return ns - frames * 1e9 / kRate; }
};

// Wall time onto the recording: frame n of it was heard at offset + n / rate.
struct Mapping {
    double offsetNs = 0;
    double spreadMs = 0;    // of the calibrating reads' offsets about their median (90 %)
    double keptTimeMs = 0;  // how far the earliest arrivals moved from then to the end
    double strayMs = 0;     // how far the later reads' offsets stray (not used)
    double arrivalMs = 0;   // the earliest arrival, against heard
    double sinkMs = 0;      // the sink's configured latency, 0 where unknown
    int reads = 0;
    // A frame reaches the monitor when the sink renders it, at most the
    // sink's latency before it is heard: an offset that puts hearing later
    // than that is off by at least the excess.
    double beyondSinkMs() const { return sinkMs > 0 ? std::max(0.0, -arrivalMs - sinkMs) : 0; }
    double clampedMs = 0;   // how far the offset was moved back to that
    double errorMs() const { return std::max({spreadMs, keptTimeMs, clampedMs}); }
    double frameAt(qint64 ns) const { return (double(ns) - offsetNs) * kRate / 1e9; }
};

double earliestArrival(const std::vector<Read> &reads)
{
    double earliest = 1e300;
    for (const Read &r : reads)
        earliest = std::min(earliest, r.arrivalOffsetNs());
    return earliest;
}

// The server's latencies agree read to read while the sink plays on
// undisturbed, but after the rewinds that flushes and corks cause on a
// long sink they stray by up to hundreds of ms, while the recording itself
// keeps time: its earliest arrivals come back to the same line. So the
// offset is the median over the settled play between two moments (before
// any command), no later than the earliest arrival plus the sink's latency,
// and the earliest arrivals there and in the last seconds tell whether the
// recording kept time after it.
Mapping mapReads(const std::vector<Read> &all, qint64 fromNs, qint64 toNs, double sinkMs)
{
    std::vector<Read> settled, tail;
    for (const Read &r : all) {
        if (r.ns >= fromNs && r.ns <= toNs)
            settled.push_back(r);
        if (r.ns >= all.back().ns - 5e9)
            tail.push_back(r);
    }
    Mapping m;
    m.sinkMs = sinkMs;
    if (settled.empty())
        return m;
    std::vector<double> offsets;
    for (const Read &r : settled)
        offsets.push_back(r.heardOffsetNs());
    std::sort(offsets.begin(), offsets.end());
    m.reads = int(settled.size());
    m.offsetNs = percentile(offsets, 0.5);
    m.spreadMs = std::max(m.offsetNs - percentile(offsets, 0.05), percentile(offsets, 0.95) - m.offsetNs) / kMs;
    m.arrivalMs = (earliestArrival(settled) - m.offsetNs) / kMs;
    // Held to what the sink's latency allows (see beyondSinkMs): on short
    // sinks the two agree within a ms, on long ones the latencies stray.
    if (m.beyondSinkMs() > 0) {
        m.clampedMs = m.beyondSinkMs();
        m.offsetNs -= m.clampedMs * kMs;
        m.arrivalMs = -m.sinkMs;
    }
    m.keptTimeMs = std::abs(earliestArrival(tail) - earliestArrival(settled)) / kMs;
    for (const Read &r : all)
        if (r.ns > toNs)
            m.strayMs = std::max(m.strayMs, std::abs(r.heardOffsetNs() - m.offsetNs) / kMs);
    return m;
}

class Recorder {
public:
    bool start(const QString &source, int fragmentMs, bool adjust)
    {
        QStringList args{"--fragment-ms", QString::number(fragmentMs), "--log", logPath(), source};
        if (adjust)
            args.prepend("--adjust-latency");
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QCoreApplication::applicationDirPath() + "/record_monitor", args);
        if (!m_process.waitForStarted(10000))
            return false;
        for (int i = 0; i < 100 && reads().empty(); ++i)
            pump(100);
        return !reads().empty();
    }

    void pump(qint64 ms)
    {
        const qint64 until = monotonicNs() + ms * kMs;
        for (qint64 left; (left = until - monotonicNs()) > 0;) {
            m_process.waitForReadyRead(int(std::max<qint64>(1, left / kMs)));
            m_data += m_process.readAllStandardOutput();
        }
    }

    // Records until a read is done after the moment plus what the sink may
    // hold: what was heard then is in.
    void pumpUntilHeard(qint64 ns)
    {
        for (int i = 0; i < 200; ++i) {
            const std::vector<Read> got = reads();
            if (!got.empty() && got.back().ns - got.back().latencyUs * 1000 > ns)
                return;
            pump(50);
        }
    }

    std::vector<Read> reads() const
    {
        QFile log(logPath());
        std::vector<Read> reads;
        if (!log.open(QIODevice::ReadOnly))
            return reads;
        for (const QByteArray &line : log.readAll().split('\n')) {
            const QList<QByteArray> f = line.split(' ');
            if (f.size() == 3)
                reads.push_back({f[0].toDouble(), f[1].toDouble(), f[2].toDouble()});
        }
        return reads;
    }

    const QByteArray &data() const { return m_data; }
    void stop()
    {
        m_process.terminate();
        m_process.waitForFinished();
    }

    void keepTiming()
    {
        m_dir.setAutoRemove(false);
        std::fprintf(stderr, "timing log: %s\n", qPrintable(logPath()));
    }

private:
    QString logPath() const { return m_dir.filePath("timing"); }
    QTemporaryDir m_dir;
    QProcess m_process;
    QByteArray m_data;
};

// A run of the recording with where it lies in the recording.
struct Placed {
    CapturedRun run;
    qint64 at;
    qint64 end() const { return at + run.count; }
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
// click on: the end of the old sound.
const Placed *changeAfter(const std::vector<Placed> &runs, double frame)
{
    for (const Placed &p : runs)
        if (p.end() >= frame - kEarlyMs * kRate / 1000 && &p != &runs.back())
            return &p;
    return nullptr;
}

// The last coded run ending by, and the first starting from, a position.
const Placed *codedBefore(const std::vector<Placed> &runs, qint64 at)
{
    const Placed *found = nullptr;
    for (const Placed &p : runs)
        if (!p.run.silence && p.end() <= at)
            found = &p;
    return found;
}
bool codedAfter(const std::vector<Placed> &runs, qint64 at)
{
    return std::any_of(runs.begin(), runs.end(), [&](const Placed &p) { return !p.run.silence && p.end() > at; });
}
const Placed *codedFrom(const std::vector<Placed> &runs, qint64 at)
{
    for (const Placed &p : runs)
        if (!p.run.silence && p.at >= at)
            return &p;
    return nullptr;
}

// The coded frame each track starts at, from the cue's INDEX 01 lines (one
// file, its first sector is coded frame 0).
std::vector<qint64> trackStarts(const QString &cue)
{
    QFile file(cue);
    std::vector<qint64> starts;
    if (!file.open(QIODevice::ReadOnly))
        return starts;
    static const QRegularExpression index(R"(INDEX\s+01\s+(\d+):(\d+):(\d+))");
    for (auto it = index.globalMatch(QString::fromUtf8(file.readAll())); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const qint64 sector = (m.captured(1).toLongLong() * 60 + m.captured(2).toLongLong()) * 75
                              + m.captured(3).toLongLong();
        starts.push_back(sectorStart(sector));
    }
    return starts;
}

qint64 startOfTrackHolding(const std::vector<qint64> &starts, qint64 frame)
{
    qint64 found = 0;
    for (qint64 s : starts)
        if (s <= frame)
            found = s;
    return found;
}

// The configured latency of the sink a monitor belongs to, from pactl; 0
// where the server does not tell (pipewire-pulse).
double configuredLatencyMs(const QString &monitor)
{
    QProcess pactl;
    pactl.start("pactl", {"list", "sinks"});
    pactl.waitForFinished(5000);
    const QString sink = QString(monitor).remove(QRegularExpression(R"(\.monitor$)"));
    for (const QString &block : QString::fromUtf8(pactl.readAllStandardOutput()).split("Sink #")) {
        const QRegularExpressionMatch m = QRegularExpression(R"(configured (\d+) usec)").match(block);
        if (block.contains("Name: " + sink + "\n") && m.hasMatch())
            return m.captured(1).toDouble() / 1000;
    }
    return 0;
}

QString signedMs(double ms) { return QString::asprintf("%+.1f", ms); }

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("What is heard after each click on the player, on a coded disc.");
    parser.addHelpOption();
    parser.addPositionalArgument("player", "the player's executable");
    parser.addPositionalArgument("cue", "a coded disc from make_test_disc");
    parser.addPositionalArgument("monitor", "the source to record (default velor_null.monitor)", "[monitor]");
    const QCommandLineOption fragmentOption("fragment-ms", "the recording's fragment (default 2000)", "ms", "2000");
    const QCommandLineOption adjustOption("adjust-latency", "let the recording pull the sink's latency down to its fragment");
    const QCommandLineOption verboseOption("verbose", "print the recording's runs and the clicks");
    parser.addOptions({fragmentOption, adjustOption, verboseOption});
    parser.process(app);
    const QStringList args = parser.positionalArguments();
    if (args.size() < 2)
        parser.showHelp(2);
    const bool verbose = parser.isSet(verboseOption) || qEnvironmentVariableIsSet("BENCH_VERBOSE");
    const std::vector<qint64> starts = trackStarts(args[1]);
    if (starts.empty()) {
        std::fprintf(stderr, "no tracks in %s\n", qPrintable(args[1]));
        return 1;
    }

    QProcess player;
    player.setProcessChannelMode(QProcess::ForwardedChannels);
    player.start(args[0], {"--device", args[1]});
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
    Recorder recorder;
    const QString monitor = args.value(2, "velor_null.monitor");
    if (!recorder.start(monitor, parser.value(fragmentOption).toInt(),
                        parser.isSet(adjustOption))) {
        std::fprintf(stderr, "the recording does not start\n");
        return 1;
    }
    // One xdotool for all clicks, reading them from its input: a click
    // costs no process start, and is counted from the moment it is handed
    // over (the time xdotool takes to send it counts against the player).
    QProcess xdotool;
    xdotool.start("xdotool", {"-"});
    if (!xdotool.waitForStarted(10000))
        return 1;
    std::vector<Click> clicks;
    auto click = [&](const Button &b, After kind = After::Other) {
        clicks.push_back({b.name, kind, monotonicNs()});
        xdotool.write(QStringLiteral("mousemove --window %1 %2 %3 click 1\n")
                          .arg(window).arg(b.x).arg(b.y).toUtf8());
        xdotool.waitForBytesWritten(1000);
        recorder.pump(kGapMs);
    };

    // The disc is read half a second after the window shows: a play that
    // comes too early brings no sound and is tried again.
    recorder.pump(1500);
    for (int attempt = 0; attempt < 10; ++attempt) {
        click(kPlay, After::StartFromStop);
        recorder.pumpUntilHeard(clicks.back().ns + kGapMs * kMs);
        if (codedAfter(placedRuns(recorder.data()), 0))
            break;
        clicks.pop_back();
    }
    // The settled play the mapping is taken from.
    const qint64 settledFrom = monotonicNs();
    recorder.pump(kSettledMs);
    const qint64 settledTo = monotonicNs();
    const double sinkMs = configuredLatencyMs(monitor);
    for (const Button &b : {kFwd10, kFwd5, kBack5, kBack10, kNext})
        click(b);
    for (int cycle = 0; cycle < 3; ++cycle) {
        click(kPause);
        click(kPlay, After::Resume);
    }
    click(kStop);
    click(kPlay, After::StartFromStop);
    click(kStop);
    recorder.pumpUntilHeard(clicks.back().ns + kGapMs * kMs);
    recorder.stop();
    xdotool.closeWriteChannel();
    xdotool.waitForFinished(5000);
    player.kill();
    player.waitForFinished();

    const Mapping map = mapReads(recorder.reads(), settledFrom, settledTo, sinkMs);
    const auto runs = placedRuns(recorder.data());
    if (verbose) {
        recorder.keepTiming();
        for (const Placed &p : runs)
            std::fprintf(stderr, "run at %lld: %s\n", (long long)p.at, qPrintable(describeRuns({p.run})));
        for (const Click &c : clicks)
            std::fprintf(stderr, "click %s at frame %.0f\n", c.name, map.frameAt(c.ns));
    }
    std::printf("mapping: frame heard at read time - record latency, median of %d reads in settled play "
                "(90 %% within +-%.1f ms); earliest arrivals moved %.1f ms to the end; earliest arrival "
                "%+.1f ms from heard, sink latency %.0f ms (latencies held %.1f ms earlier to it); later reads "
                "stray up to %.1f ms (not used); error +-%.1f ms\n",
                map.reads, map.spreadMs, map.keptTimeMs, map.arrivalMs, map.sinkMs, map.clampedMs,
                map.strayMs, map.errorMs());
    double startLost = 0, worst = -1e9;
    const char *worstName = "none";
    QStringList jumps;
    std::printf("%-8s %12s\n", "click", "old sound heard after (ms)");
    for (const Click &c : clicks) {
        const Placed *change = changeAfter(runs, map.frameAt(c.ns));
        if (!change) {
            std::printf("%-8s   no change heard\n", c.name);
            continue;
        }
        const double ms = msOfFrames(double(change->end()) - map.frameAt(c.ns));
        if (ms > worst) {
            worst = ms;
            worstName = c.name;
        }
        QString note;
        const Placed *first = codedFrom(runs, change->end());
        if (c.kind == After::StartFromStop && first) {
            const double lost = msOfFrames(double(first->run.first - startOfTrackHolding(starts, first->run.first)));
            startLost = std::max(startLost, lost);
            note = QStringLiteral("  first frame %1, %2 ms after its track's start").arg(first->run.first).arg(lost, 0, 'f', 1);
        } else if (c.kind == After::Resume) {
            const Placed *last = codedBefore(runs, change->end());
            if (first && last) {
                const double jump = msOfFrames(double(first->run.first - (last->run.last() + 1)));
                jumps << signedMs(jump);
                note = QStringLiteral("  resumed %1 ms (%2)").arg(signedMs(jump), jump < 0 ? "repeated" : "skipped");
            } else {
                jumps << "none";
            }
        }
        std::printf("%-8s %7.1f +-%.1f%s\n", c.name, ms, map.errorMs(), qPrintable(note));
    }
    std::printf("summary: start lost max %.1f ms | resume jumps %s ms | worst command %.1f ms (%s) +-%.1f\n",
                startLost, qPrintable(jumps.join(' ')), worst, worstName, map.errorMs());
    return 0;
}
