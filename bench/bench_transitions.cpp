// SPDX-License-Identifier: GPL-3.0-or-later
// What is heard at the play modes' transitions, through a real sound
// server: the player core (state, status update, sequencing) on the real
// clock and a coded disc, the sink's monitor recorded with parec. Prints,
// per scenario, the frames heard of a track that should not have been
// heard, and for normal play any gap or repeat. Run by
// bench/run-benchmarks.sh; needs PULSE_SERVER set to a server with the
// null sink velor_null.
#include "capture_runs.h"
#include "player_core.h"
#include "player_view.h"
#include "test_disc.h"
#include "transport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

constexpr int kTrackSeconds = 3;
constexpr qint64 kTrackFrames = kTrackSeconds * 75 * kFrames;

class NoView : public PlayerView {
public:
    void drawDigits() override {}
    void drawIndicators() override {}
    void drawStillDisc() override {}
    void showDiscPanel() override {}
    void showIdlePanel() override {}
    bool isMinimized() const override { return false; }
    void setCaption(const QString &) override {}
};

int trackOf(qint64 frame) { return int(frame / kTrackFrames) + 1; }

// Frames of each run past the end of the track it began in: what was heard
// of the next track although the mode wanted something else.
qint64 framesPastTheirTrack(const std::vector<CapturedRun> &runs)
{
    qint64 wrong = 0;
    for (const CapturedRun &r : runs)
        wrong += std::max<qint64>(0, r.first + r.count - qint64(trackOf(r.first)) * kTrackFrames);
    return wrong;
}

std::vector<CapturedRun> heardRuns(const QByteArray &pcm)
{
    std::vector<CapturedRun> runs;
    for (const CapturedRun &r : capturedRuns(pcm))
        if (!r.silence)
            runs.push_back(r);
    return runs;
}

struct Scenario {
    const char *name;
    int seconds;
    std::function<void(PlayerCore &, Transport &)> start;
    std::function<QString(const std::vector<CapturedRun> &)> judge;
};

void startProgram(PlayerCore &core, std::initializer_list<int> entries, qint16 mode)
{
    core.programList.clear();
    for (int e : entries)
        core.programList.add(QStringLiteral("%1").arg(e, 2, 10, QLatin1Char('0')));
    core.programList.setListIndex(0);
    PlayerState &s = core.state;
    s.playMode = mode;
    s.programIndex = 0;
    core.device.setFrom(*entries.begin());
    core.device.setTrack(*entries.begin());
    core.command(QStringLiteral("play"));
    s.programReserved = true;
    s.pausedByUser = false;
    s.stoppedByUser = false;
    s.playWanted = true;
}

QByteArray runScenario(const QString &disc, const Scenario &scenario)
{
    NoView view;
    CdAudioControl::Options options;
    options.device = disc;
    PlayerCore core(options, view);
    Transport transport(core);
    core.resetPlayState();
    core.openDevice();
    QElapsedTimer waited;
    waited.start();
    while (!core.hasDisc() || core.trackField.text() == QLatin1String("Text1")) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (waited.elapsed() > 10000)
            return {};
    }

    QProcess parec;
    parec.start("parec", {"--raw", "--format=s16le", "--rate=44100", "--channels=2",
                          "--latency-msec=10", "-d", "velor_null.monitor"});
    parec.waitForStarted(5000);
    parec.waitForReadyRead(5000);
    QByteArray recorded;
    QObject::connect(&parec, &QProcess::readyReadStandardOutput, [&] { recorded += parec.readAll(); });
    scenario.start(core, transport);
    QElapsedTimer played;
    played.start();
    while (played.elapsed() < scenario.seconds * 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    core.stopAndClose();
    parec.kill();
    parec.waitForFinished();
    return recorded;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString base = QDir::tempPath() + QStringLiteral("/velor-transitions");
    TestDiscFiles files;
    std::string error;
    if (!writeTestDisc(base.toStdString(), tracksOfSeconds({3, 3, 3, 3}), &files, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const QString disc = QString::fromStdString(files.cue);

    auto wrongFrames = [](const std::vector<CapturedRun> &runs) {
        return QStringLiteral("%1 frames of the wrong track (%2 runs)")
            .arg(framesPastTheirTrack(runs))
            .arg(runs.size());
    };
    const std::vector<Scenario> scenarios = {
        {"normal play, whole disc", 13,
         [](PlayerCore &, Transport &t) { t.play(); },
         [](const std::vector<CapturedRun> &runs) {
             // The monitor may miss the first milliseconds of a new stream.
             const bool whole = runs.size() == 1 && runs[0].last() == 4 * kTrackFrames - 1;
             return QStringLiteral("%1 runs, frames %2 to the disc's end: %3")
                 .arg(runs.size())
                 .arg(runs.empty() ? 0 : runs[0].first)
                 .arg(whole ? "no gap, no repeat" : "GAP OR REPEAT");
         }},
        {"track repeat (track 2)", 8,
         [](PlayerCore &c, Transport &t) {
             c.state.playMode = ModeTrackRepeat;
             c.device.setFrom(2);
             c.device.setTrack(2);
             c.command(QStringLiteral("play"));
             c.state.playWanted = true;
             c.state.repeatTrack = 2;
             (void)t;
         },
         wrongFrames},
        {"program play 3, 1, 4", 11,
         [](PlayerCore &c, Transport &) { startProgram(c, {3, 1, 4}, ModeProgram); }, wrongFrames},
        {"program repeat 2, 4", 11,
         [](PlayerCore &c, Transport &) { startProgram(c, {2, 4}, ModeProgramRepeat); }, wrongFrames},
        {"disc repeat, end of the disc", 6,
         [](PlayerCore &c, Transport &t) {
             // Playing track 4 first: disc repeat started from the stopped
             // device would restart at track 1 at once.
             c.device.setFrom(4);
             c.device.setTrack(4);
             t.play();
             QTimer::singleShot(1000, &c, [&c] { c.state.playMode = ModeDiscRepeat; });
         },
         [](const std::vector<CapturedRun> &runs) {
             // Track 4 to its end, then track 1. The second start an update
             // later replaces only what followed the wrap while the output
             // still holds track 4's end; otherwise track 1's beginning is
             // heard twice.
             QString heardTwice = QStringLiteral("0 frames");
             if (runs.size() >= 3 && runs[1].first == 0 && runs[2].first < 2205)
                 heardTwice = QStringLiteral("%1 frames (%2 ms)").arg(runs[1].count).arg(runs[1].count * 1000 / 44100);
             return QStringLiteral("%1 runs; track 1 from frame %2, its start heard twice for %3; %4 frames past a "
                                   "track's end before the wrap")
                 .arg(runs.size())
                 .arg(runs.size() >= 2 ? runs[1].first : -1)
                 .arg(heardTwice)
                 .arg(framesPastTheirTrack({runs.begin(), runs.begin() + std::min<size_t>(1, runs.size())}));
         }},
    };
    for (const Scenario &s : scenarios) {
        const QByteArray recorded = runScenario(disc, s);
        const auto runs = heardRuns(recorded);
        std::printf("%-28s %s\n", s.name, qPrintable(s.judge(runs)));
        std::printf("%-28s %s\n", "", qPrintable(describeRuns(runs)));
    }
    return 0;
}
