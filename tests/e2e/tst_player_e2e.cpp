// The real player as a user meets it: the binary under an X server, clicked
// with xdotool at the skin's coordinates, heard through a PulseAudio null
// sink recorded with parec. The recording says which disc frame was heard
// after each click.
#include "capture_runs.h"
#include "disc_rig.h"
#include "private_pulse.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

constexpr qint64 kTrackSectors = 6 * 75;
constexpr qint64 kFramesPerMs = 44;  // 44.1 rounded down, for slack only

struct Point {
    int x, y;
};
// Centres of the buttons on the skin.
constexpr Point kNext{155, 123};
constexpr Point kPlay{184, 123};
constexpr Point kPause{212, 123};
constexpr Point kStop{236, 123};
constexpr Point kRepeat{239, 16};

} // namespace

class PlayerEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void clicksAreHeard();
    void cleanupTestCase();

private:
    void click(Point p);
    // Records until the condition holds on what was recorded, or 15 s of
    // sound went by.
    bool recordUntil(const std::function<bool(const std::vector<CapturedRun> &)> &done);
    std::vector<CapturedRun> coded() const;
    qint64 recordedMs() const { return m_recorded.size() / 4 * 1000 / 44100; }

    std::unique_ptr<PrivatePulse> m_pulse;
    QProcess m_player;
    QProcess m_parec;
    QString m_window;
    QByteArray m_recorded;
};

void PlayerEndToEndTest::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") || !PrivatePulse::available()
        || QStandardPaths::findExecutable("xdotool").isEmpty())
        QSKIP("needs an X server, pulseaudio and xdotool (tools/run-tests.sh starts Xvfb)");
    m_pulse = std::make_unique<PrivatePulse>();
    QVERIFY(m_pulse->start());
    const QString disc = writeDisc("e2e", tracksOfSeconds({6, 6, 6}));

    QProcessEnvironment env = m_pulse->environment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("XDG_RUNTIME_DIR", scratchDir());  // a lock of its own
    m_player.setProcessEnvironment(env);
    m_player.setProcessChannelMode(QProcess::ForwardedChannels);
    m_player.start(QStringLiteral(VELOR_PLAYER_BINARY), {"--device", disc});
    QVERIFY(m_player.waitForStarted(10000));

    QProcess search;
    search.start("xdotool", {"search", "--sync", "--onlyvisible", "--pid",
                             QString::number(m_player.processId())});
    QVERIFY(search.waitForFinished(20000));
    m_window = QString::fromUtf8(search.readAllStandardOutput()).split('\n').value(0).trimmed();
    QVERIFY(!m_window.isEmpty());

    m_parec.setProcessEnvironment(m_pulse->environment());
    m_parec.start("parec", {"--raw", "--format=s16le", "--rate=44100", "--channels=2",
                            "--latency-msec=10", "-d", "velor_null.monitor"});
    QVERIFY(m_parec.waitForStarted(10000));
    QVERIFY(m_parec.waitForReadyRead(10000));
    // The open timer fires half a second after start; wait until a second
    // of (silent) recording went by, so the disc is in.
    QVERIFY(recordUntil([this](const auto &) { return recordedMs() > 1500; }));
}

void PlayerEndToEndTest::cleanupTestCase()
{
    m_parec.kill();
    m_parec.waitForFinished();
    m_player.kill();
    m_player.waitForFinished();
}

void PlayerEndToEndTest::click(Point p)
{
    QProcess xdotool;
    xdotool.start("xdotool", {"mousemove", "--window", m_window, QString::number(p.x),
                              QString::number(p.y), "click", "1"});
    QVERIFY(xdotool.waitForFinished(10000));
}

std::vector<CapturedRun> PlayerEndToEndTest::coded() const
{
    std::vector<CapturedRun> runs;
    for (const CapturedRun &r : capturedRuns(m_recorded))
        if (!r.silence)
            runs.push_back(r);
    return runs;
}

bool PlayerEndToEndTest::recordUntil(const std::function<bool(const std::vector<CapturedRun> &)> &done)
{
    const qint64 limit = recordedMs() + 15000;
    while (recordedMs() < limit && m_parec.state() == QProcess::Running) {
        m_parec.waitForReadyRead(1000);
        m_recorded += m_parec.readAll();
        if (done(coded()))
            return true;
    }
    return false;
}

void PlayerEndToEndTest::clicksAreHeard()
{
    // Play: the disc from its first frame (the monitor may miss the first
    // few milliseconds of a new stream).
    // The disc is read half a second after the window shows; a play before
    // that is ignored, as it is for a user, who would click again.
    for (int attempt = 0; attempt < 10 && coded().empty(); ++attempt) {
        click(kPlay);
        const qint64 from = recordedMs();
        recordUntil([&](const auto &runs) { return !runs.empty() || recordedMs() - from > 1000; });
    }
    QVERIFY(recordUntil([](const auto &runs) { return !runs.empty() && runs[0].count > 44100; }));
    QVERIFY2(coded()[0].first < 50 * kFramesPerMs, qPrintable(describeRuns(coded())));

    // Next: straight to the start of track 2 (a flushed stream starts
    // anew, and the monitor may again miss its first milliseconds).
    click(kNext);
    QVERIFY(recordUntil([](const auto &runs) { return runs.size() >= 2 && runs[1].count > 44100; }));
    const qint64 nextAt = coded()[1].first - sectorStart(kTrackSectors);
    QVERIFY2(nextAt >= 0 && nextAt < 50 * kFramesPerMs, qPrintable(describeRuns(coded())));

    // Pause: the sound stops; play resumes where it was heard.
    click(kPause);
    const qint64 before = m_recorded.size();
    QVERIFY(recordUntil([&](const auto &) { return m_recorded.size() - before > 44100 * 4; }));
    const qint64 pausedAt = coded()[1].last();
    click(kPlay);
    QVERIFY(recordUntil([](const auto &runs) { return runs.size() >= 3 && runs[2].count > 22050; }));
    // The pause holds the server's stream and play lets it go on; only the
    // null sink's monitor, which hears in blocks, may blur a few ms.
    const qint64 resumedAt = coded()[2].first;
    QVERIFY2(resumedAt <= pausedAt + 1 + 10 * kFramesPerMs && resumedAt >= pausedAt + 1 - 10 * kFramesPerMs,
             qPrintable(describeRuns(coded())));

    // Repeat (track repeat on track 2): after its last frame, its first
    // frame again, and not one frame of track 3.
    click(kRepeat);
    QVERIFY(recordUntil([](const auto &runs) { return runs.size() >= 4 && runs[3].count > 22050; }));
    const auto runs = coded();
    QVERIFY2(runs[2].last() == sectorStart(2 * kTrackSectors) - 1, qPrintable(describeRuns(runs)));
    QCOMPARE(runs[3].first, sectorStart(kTrackSectors));

    // Stop: silence.
    click(kStop);
    const qint64 stopped = m_recorded.size();
    QVERIFY(recordUntil([&](const auto &) { return m_recorded.size() - stopped > 44100 * 4; }));
    const QByteArray tail = m_recorded.mid(m_recorded.size() - 22050 * 4);
    QVERIFY(tail.count('\0') == tail.size());
}

QTEST_GUILESS_MAIN(PlayerEndToEndTest)
#include "tst_player_e2e.moc"
