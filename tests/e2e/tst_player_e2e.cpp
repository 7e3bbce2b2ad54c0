// SPDX-License-Identifier: GPL-3.0-or-later
// The real player as a user meets it: the binary under an X server, clicked
// with xdotool at the skin's coordinates, heard through a PulseAudio null
// sink recorded with parec. The recording says which disc frame was heard
// after each click.
#include "capture_runs.h"
#include "disc_rig.h"
#include "needed_tools.h"
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
constexpr Point kProgram{239, 56};
// In the program editor: rows of the disc list (16 px each), Add, Start.
constexpr Point kEditorTrack1{60, 49};
constexpr Point kEditorTrack3{60, 81};
constexpr Point kEditorAdd{164, 60};
constexpr Point kEditorStart{164, 156};

// Runs joined across short forward gaps: a loaded machine may drop a few
// milliseconds of sound, which is not a frame of another track.
std::vector<CapturedRun> bridged(const std::vector<CapturedRun> &runs)
{
    std::vector<CapturedRun> joined;
    for (const CapturedRun &r : runs) {
        const qint64 gap = joined.empty() ? -1 : r.first - (joined.back().last() + 1);
        if (gap >= 0 && gap < 50 * kFramesPerMs)
            joined.back().count = r.last() + 1 - joined.back().first;
        else
            joined.push_back(r);
    }
    return joined;
}

// The track-entry box in window coordinates, its fill, and the column of
// its digits; the "+" sits left of them.
constexpr int kEntryBoxX = 111, kEntryBoxY = 88, kEntryBoxWidth = 27, kEntryBoxHeight = 15;
constexpr int kEntryDigitsFrom = 8;
const QByteArray kEntryBoxFill("\x4b\xc6\xfa");

// Pixels of an RGB dump of the entry box, within columns [from, to), that
// are not its fill; -1 when the dump is not of the box.
int inkIn(const QByteArray &box, int from, int to)
{
    if (box.size() != kEntryBoxWidth * kEntryBoxHeight * 3)
        return -1;
    int ink = 0;
    for (int y = 0; y < kEntryBoxHeight; ++y)
        for (int x = from; x < to; ++x)
            ink += box.mid((y * kEntryBoxWidth + x) * 3, 3) != kEntryBoxFill;
    return ink;
}

} // namespace

class PlayerEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void clicksAreHeard();
    void typedTrackIsHeardAndShown();
    // Last: a finished program stays reserved, and typed numbers then only
    // show a message.
    void programPlaysInTheComposedOrder();
    void cleanupTestCase();

private:
    void click(Point p) { click(m_window, p); }
    void click(const QString &window, Point p);
    // The first visible window the search finds, waiting for one.
    QString findWindow(const QStringList &search);
    void type(const QString &keys);
    // The entry box as on the screen, RGB bytes row by row.
    QByteArray entryBox();
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
    SKIP_UNLESS(!qEnvironmentVariableIsEmpty("DISPLAY") && PrivatePulse::available()
                    && !QStandardPaths::findExecutable("xdotool").isEmpty(),
                "an X server, pulseaudio and xdotool (tools/run-tests.sh starts Xvfb)");
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

    m_window = findWindow({"--pid", QString::number(m_player.processId())});
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

QString PlayerEndToEndTest::findWindow(const QStringList &search)
{
    QProcess xdotool;
    xdotool.start("xdotool", QStringList{"search", "--sync", "--onlyvisible"} + search);
    if (!xdotool.waitForFinished(20000))
        return QString();
    return QString::fromUtf8(xdotool.readAllStandardOutput()).split('\n').value(0).trimmed();
}

void PlayerEndToEndTest::click(const QString &window, Point p)
{
    QProcess xdotool;
    xdotool.start("xdotool", {"mousemove", "--window", window, QString::number(p.x),
                              QString::number(p.y), "click", "1"});
    QVERIFY(xdotool.waitForFinished(10000));
}

void PlayerEndToEndTest::type(const QString &keys)
{
    QProcess xdotool;
    xdotool.start("xdotool", {"windowfocus", "--sync", m_window, "type", keys});
    QVERIFY(xdotool.waitForFinished(10000));
}

QByteArray PlayerEndToEndTest::entryBox()
{
    QProcess import;
    import.start("import", {"-window", m_window, "-crop",
                            QStringLiteral("%1x%2+%3+%4").arg(kEntryBoxWidth).arg(kEntryBoxHeight)
                                .arg(kEntryBoxX).arg(kEntryBoxY),
                            "-depth", "8", "rgb:-"});
    import.waitForFinished(10000);
    return import.readAllStandardOutput();
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

// Tracks 3, 1, 1 composed and started with the mouse: each heard from its
// first frame and alone, then the disc stands stopped on track 3, where a
// play starts it again.
void PlayerEndToEndTest::programPlaysInTheComposedOrder()
{
    click(kStop);
    click(kProgram);
    const QString editor = findWindow({"--name", "^プログラム$"});
    QVERIFY(!editor.isEmpty());
    const size_t before = bridged(coded()).size();
    for (Point p : {kEditorTrack3, kEditorAdd, kEditorTrack1, kEditorAdd, kEditorAdd, kEditorStart})
        click(editor, p);

    const auto start = [](int track) { return sectorStart((track - 1) * kTrackSectors); };
    const auto near = [](qint64 frame, qint64 at) { return frame >= at && frame - at < 50 * kFramesPerMs; };
    // The end of the program lets the last entry play out; the null sink's
    // monitor may miss a few milliseconds at a stream's end.
    const qint64 lastEnds = start(2) - 20 * kFramesPerMs;
    // One wait per run keeps each well inside the 15 s a wait may take.
    for (size_t run = before; run < before + 3; ++run)
        QVERIFY2(recordUntil([&](const auto &runs) {
                     const auto joined = bridged(runs);
                     return joined.size() > run + 1 || (joined.size() == run + 1 && joined[run].last() >= lastEnds);
                 }),
                 qPrintable(describeRuns(coded())));
    const qint64 ended = m_recorded.size();
    QVERIFY(recordUntil([&](const auto &) { return m_recorded.size() - ended > 44100 * 4; }));
    const auto runs = bridged(coded());
    const QString heard = describeRuns(coded());
    QVERIFY2(runs.size() == before + 3, qPrintable(heard));
    QVERIFY2(near(runs[before].first, start(3)) && runs[before].last() + 1 == start(4), qPrintable(heard));
    QVERIFY2(near(runs[before + 1].first, start(1)) && runs[before + 1].last() + 1 == start(2), qPrintable(heard));
    QVERIFY2(near(runs[before + 2].first, start(1)) && runs[before + 2].last() >= lastEnds
                 && runs[before + 2].last() < start(2),
             qPrintable(heard));
    qInfo("end of the last entry not heard: %d ms", int((start(2) - 1 - runs[before + 2].last()) * 10 / 441));

    click(kPlay);
    QVERIFY(recordUntil([&](const auto &runs) { return bridged(runs).size() > before + 3; }));
    QVERIFY2(near(bridged(coded())[before + 3].first, start(3)), qPrintable(describeRuns(coded())));
    click(kStop);
}

void PlayerEndToEndTest::typedTrackIsHeardAndShown()
{
    SKIP_UNLESS(!QStandardPaths::findExecutable("import").isEmpty(), "ImageMagick's import for screenshots");
    QCOMPARE(inkIn(entryBox(), 0, kEntryBoxWidth), 0);
    const size_t heardBefore = coded().size();
    type("+");
    QVERIFY(recordUntil([&](const auto &) { return inkIn(entryBox(), 0, kEntryDigitsFrom) > 0; }));
    QCOMPARE(inkIn(entryBox(), kEntryDigitsFrom, kEntryBoxWidth), 0);

    // Track 3 from its first frame, and its number in the box, without the "+".
    type("03");
    const qint64 typedAt = recordedMs();
    QVERIFY(recordUntil([&](const auto &runs) { return runs.size() > heardBefore && runs.back().count > 22050; }));
    const qint64 startAt = coded().back().first - sectorStart(2 * kTrackSectors);
    QVERIFY2(startAt >= 0 && startAt < 50 * kFramesPerMs, qPrintable(describeRuns(coded())));
    const QByteArray shown = entryBox();
    QVERIFY(inkIn(shown, kEntryDigitsFrom, kEntryBoxWidth) > 0);
    QCOMPARE(inkIn(shown, 0, kEntryDigitsFrom), 0);

    // Five ticks of a second after the last key the box is empty again.
    QVERIFY(recordUntil([&](const auto &) { return inkIn(entryBox(), 0, kEntryBoxWidth) == 0; }));
    const qint64 shownMs = recordedMs() - typedAt;
    qInfo("typed number shown for %lld ms", shownMs);
    QVERIFY2(shownMs > 4000 && shownMs < 9000, qPrintable(QString::number(shownMs)));
}

QTEST_GUILESS_MAIN(PlayerEndToEndTest)
#include "tst_player_e2e.moc"
