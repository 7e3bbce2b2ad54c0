// SPDX-License-Identifier: GPL-3.0-or-later
// The five play modes on the real device control: what the capture heard
// at every transition, frame by frame, on coded discs.
#include "player_rig.h"

#include <QtTest>

namespace {
// Sound only, no silence, no run broken in the middle of a track.
int silenceRuns(const std::vector<CapturedRun> &runs)
{
    return int(std::count_if(runs.begin(), runs.end(), [](const CapturedRun &r) { return r.silence; }));
}

// Track 3 of three playing, disc repeat chosen.
void playLastTrackInDiscRepeat(PlayerRig &rig)
{
    rig.open();
    rig.transport->play();
    rig.transport->next();
    rig.transport->next();
    rig.update();
    rig.transport->cycleRepeat();
    rig.transport->cycleRepeat();
    QCOMPARE(rig.state().playMode, qint16(ModeDiscRepeat));
}
}  // namespace

class TestSequencing : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void normalPlayIsGaplessAndEndsWithPlayWanted();
    void trackRepeatReturnsWithoutAFrameOfTheNextTrack();
    void trackRepeatFollowsSeeks();
    void discRepeatWrapsWithADoubleStart();
    void discRepeatWrapKeepsABufferedLastTrackWhole();
    void discRepeatStartedFromStoppedRestartsAtTrackOne();
    void programStepsWithoutAFrameOfTheWrongTrack_data();
    void programStepsWithoutAFrameOfTheWrongTrack();
    void programRepeatWrapsWithoutAFrameOfTheWrongTrack();
    void singleEntryProgram();
    void duplicateEntriesPlayTwice();
    void stepWhileStoppedPlaysButDoesNotAdvance();

private:
    TestDiscLayout m_layout = tracksOfSeconds({2, 2, 2});
    TestDiscLayout m_longLayout = tracksOfSeconds({4, 4, 4});
    QString m_disc, m_longDisc;
};

void TestSequencing::initTestCase()
{
    m_disc = writeDisc(QStringLiteral("seq-three"), m_layout);
    m_longDisc = writeDisc(QStringLiteral("seq-long"), m_longLayout);
}

void TestSequencing::normalPlayIsGaplessAndEndsWithPlayWanted()
{
    PlayerRig rig(m_disc);
    const DiscMap map(m_layout);
    rig.open();
    rig.transport->play();
    QVERIFY(rig.updateUntilStopped());
    rig.update(5);

    const auto runs = rig.runs();
    QCOMPARE(describeRuns(runs), describeRuns({CapturedRun{false, 0, map.end(3)}}));
    QCOMPARE(rig.commands, QStringList({"open", "play"}));
    QCOMPARE(rig.state().playWanted, true);
    QCOMPARE(rig.state().stoppedByUser, false);
    QCOMPARE(rig.mmc().mode(), qint32(CdAudioControl::ModeStopped));
}

void TestSequencing::trackRepeatReturnsWithoutAFrameOfTheNextTrack()
{
    const DiscMap map(m_layout);
    for (int track : {1, 3}) {  // into the next track; at the end of the disc
        PlayerRig rig(m_disc);
        rig.open();
        rig.playTrack(track);
        rig.transport->play();
        rig.update();
        rig.transport->cycleRepeat();
        QCOMPARE(rig.state().playMode, qint16(ModeTrackRepeat));
        QCOMPARE(rig.state().repeatTrack, track);
        const int64_t length = map.end(track) - map.start(track);
        QVERIFY(rig.updateUntil([&] { return rig.capture.frames() > 3 * length; }));

        const auto runs = rig.runs();
        const QString whole = QStringLiteral("%1[..%1]").arg(track);
        QCOMPARE(runTracks(runs, map), QStringList({whole, whole, whole, QStringLiteral("%1[..%1)").arg(track)}).join(' '));
        for (int other = 1; other <= 3; ++other)
            if (other != track)
                QCOMPARE(framesHeardOf(runs, map, other), int64_t(0));
        QCOMPARE(silenceRuns(runs), 0);
    }
}

// Past the end of the repeated track, the next update jumps back to its
// start; back into an earlier track, play runs on into the repeated track
// and repeats it from there.
void TestSequencing::trackRepeatFollowsSeeks()
{
    PlayerRig rig(m_longDisc);
    const DiscMap map(m_longLayout);
    rig.open();
    rig.playTrack(2);
    rig.transport->play();
    rig.update(2);
    rig.transport->cycleRepeat();
    QCOMPARE(rig.state().repeatTrack, 2);

    rig.transport->seekBy(5000);
    rig.update();
    QCOMPARE(rig.text1(), QStringLiteral("03"));
    QCOMPARE(rig.mmc().track(), 2);
    rig.update();
    QCOMPARE(rig.text1(), QStringLiteral("02"));
    // Track 3 is heard only until the update that sees it.
    const int64_t seekedInto3 = framesHeardOf(rig.runs(), map, 3);
    QCOMPARE(seekedInto3, int64_t(kTick * 441 / 10));

    rig.update(10);  // 2.4 s into track 2
    rig.transport->seekBy(-5000);
    rig.update();
    QCOMPARE(rig.text1(), QStringLiteral("01"));
    QVERIFY(rig.updateUntilTrack(2));
    QVERIFY(rig.updateUntil([&] { return rig.runs().back().first == map.start(2); }, 40));
    rig.update(3);

    const auto runs = rig.runs();
    QCOMPARE(framesHeardOf(runs, map, 3), seekedInto3);
    QCOMPARE(runTracks(runs, map), QStringLiteral("2[..2) 3(..3) 2[..2) 1(..2] 2[..2)"));
}

// At the end of the disc checkStop starts track 1 in the boundary update;
// the next update, 200 ms later, still sees the stopped mode in lastMode and
// starts it once more.
void TestSequencing::discRepeatWrapsWithADoubleStart()
{
    PlayerRig rig(m_disc);
    const DiscMap map(m_layout);
    playLastTrackInDiscRepeat(rig);
    QVERIFY(rig.updateUntil([&] { return rig.runs().size() >= 3; }));
    rig.update(3);

    const auto runs = rig.runs();
    QCOMPARE(runTracks(runs, map), QStringLiteral("3[..3] 1[..1) 1[..1)"));
    QCOMPARE(silenceRuns(runs), 0);
    const int64_t heardTwice = runs[1].count;
    QCOMPARE(heardTwice, int64_t(8820));  // 200 ms of track 1
    QCOMPARE(rig.commands.count(QStringLiteral("play")), qsizetype(3));
}

// With a second buffered, the output still holds the end of track 3 when
// the second start comes: only what followed the wrap is replaced, so track
// 3 is heard to its last frame and track 1 starts once.
void TestSequencing::discRepeatWrapKeepsABufferedLastTrackWhole()
{
    PlayerRig rig(m_disc, 44100);
    const DiscMap map(m_layout);
    playLastTrackInDiscRepeat(rig);
    QVERIFY(rig.updateUntil([&] { return rig.commands.count(QStringLiteral("play")) == 3; }));
    rig.update(10);

    const auto runs = rig.runs();
    QCOMPARE(runTracks(runs, map), QStringLiteral("3[..3] 1[..1)"));
    QCOMPARE(silenceRuns(runs), 0);
}

// Play from the stopped state restarts the disc at the next update; a
// resume from pause does not, as the paused device reports another mode.
void TestSequencing::discRepeatStartedFromStoppedRestartsAtTrackOne()
{
    PlayerRig rig(m_disc);
    const DiscMap map(m_layout);
    rig.open();
    rig.transport->next();
    rig.transport->cycleRepeat();
    rig.transport->cycleRepeat();
    rig.transport->play();
    QCOMPARE(rig.state().repeatTrack, 2);
    rig.update();
    QCOMPARE(rig.mmc().track(), 1);
    rig.update(2);
    QCOMPARE(rig.text1(), QStringLiteral("01"));

    rig.transport->pause();
    rig.update(2);
    rig.transport->play();
    rig.update(3);
    const auto runs = rig.runs();
    QCOMPARE(runTracks(runs, map), QStringLiteral("2[..2) 1[..1)"));
    QCOMPARE(runs[0].count, int64_t(8820));
    QCOMPARE(runs[1].count, int64_t(5 * 8820));  // 0.4 s, the pause, 0.6 s
}

// Into the next track (checkTrackChange) and at the end of the disc (checkStop);
// the end of the program leaves the device stopped on entry 0's track.
// With a sink that buffers a second, the end of the program still lets the
// last entry play to its last frame.
void TestSequencing::programStepsWithoutAFrameOfTheWrongTrack_data()
{
    QTest::addColumn<qint64>("bufferedFrames");
    QTest::newRow("unbuffered") << qint64(0);
    QTest::newRow("a second buffered") << qint64(44100);
}

void TestSequencing::programStepsWithoutAFrameOfTheWrongTrack()
{
    QFETCH(qint64, bufferedFrames);
    PlayerRig rig(m_disc, bufferedFrames);
    const DiscMap map(m_layout);
    rig.open();
    rig.startProgram({"03", "02", "01"});
    QVERIFY(rig.updateUntil([&] { return !rig.state().playWanted; }));
    QCOMPARE(rig.commands.mid(rig.commands.size() - 3), QStringList({"prev", "play", "stop"}));
    rig.update(5);

    QCOMPARE(runTracks(rig.runs(), map), QStringLiteral("3[..3] 2[..2] 1[..1]"));
    QCOMPARE(silenceRuns(rig.runs()), 0);
    const PlayerState &s = rig.state();
    QCOMPARE(rig.mmc().mode(), qint32(CdAudioControl::ModeStopped));
    QCOMPARE(rig.text1(), QStringLiteral("03"));
    QCOMPARE(rig.positionFrame(), map.start(3));
    QCOMPARE(s.stoppedByUser, true);
    QCOMPARE(s.programIndex, qint16(0));
    QCOMPARE(rig.core->programList.listIndex(), 0);
    QCOMPARE(s.programReserved, true);
    QCOMPARE(s.playMode, qint16(ModeProgram));

    // Still reserved: play runs it again from entry 0 (what a buffering
    // sink has heard of it lags behind, so that is checked unbuffered).
    if (bufferedFrames)
        return;
    rig.transport->play();
    QVERIFY(rig.updateUntil([&] { return rig.state().programIndex == 1; }));
    QCOMPARE(runTracks(rig.runs(), map), QStringLiteral("3[..3] 2[..2] 1[..1] 3[..3]"));
}

void TestSequencing::programRepeatWrapsWithoutAFrameOfTheWrongTrack()
{
    PlayerRig rig(m_disc);
    const DiscMap map(m_layout);
    rig.open();
    rig.startProgram({"03", "01"}, ModeProgramRepeat);
    QVERIFY(rig.updateUntil([&] { return rig.runs().size() >= 5; }));

    const auto runs = rig.runs();
    QCOMPARE(runTracks(runs, map), QStringLiteral("3[..3] 1[..1] 3[..3] 1[..1] 3[..3)"));
    QCOMPARE(framesHeardOf(runs, map, 2), int64_t(0));
    QCOMPARE(rig.state().playWanted, true);
    QCOMPARE(rig.state().programIndex, qint16(0));
}

void TestSequencing::singleEntryProgram()
{
    const DiscMap map(m_layout);
    {
        PlayerRig rig(m_disc);
        rig.open();
        rig.startProgram({"02"});
        QVERIFY(rig.updateUntil([&] { return !rig.state().playWanted; }));
        rig.update(10);
        QCOMPARE(runTracks(rig.runs(), map), QStringLiteral("2[..2]"));
        QCOMPARE(rig.text1(), QStringLiteral("02"));
        QCOMPARE(rig.positionFrame(), map.start(2));
        QCOMPARE(rig.state().stoppedByUser, true);
    }
    {
        PlayerRig rig(m_disc);
        rig.open();
        rig.startProgram({"02"}, ModeProgramRepeat);
        QVERIFY(rig.updateUntil([&] { return rig.runs().size() >= 4; }));
        QCOMPARE(runTracks(rig.runs(), map), QStringLiteral("2[..2] 2[..2] 2[..2] 2[..2)"));
        QCOMPARE(rig.state().playWanted, true);
    }
}

// The disc runs into the following track, which differs from the entry,
// so the second entry starts the same track again; at the end of the disc
// the stop does the same.
void TestSequencing::duplicateEntriesPlayTwice()
{
    const DiscMap map(m_layout);
    for (const QString &entry : {QStringLiteral("02"), QStringLiteral("03")}) {
        PlayerRig rig(m_disc);
        rig.open();
        rig.startProgram({entry, entry});
        QVERIFY(rig.updateUntil([&] { return !rig.state().playWanted; }));
        rig.update(5);
        const QString whole = QStringLiteral("%1[..%1]").arg(entry.toInt());
        QCOMPARE(runTracks(rig.runs(), map), whole + QLatin1Char(' ') + whole);
        QCOMPARE(rig.state().stoppedByUser, true);
    }
}

// After the end of the program play is not wanted: a step plays the new
// entry, and when it ends the disc simply plays on.
void TestSequencing::stepWhileStoppedPlaysButDoesNotAdvance()
{
    PlayerRig rig(m_disc);
    const DiscMap map(m_layout);
    rig.open();
    rig.startProgram({"03", "01"});
    QVERIFY(rig.updateUntil([&] { return !rig.state().playWanted; }));
    rig.update();
    QCOMPARE(rig.text1(), QStringLiteral("03"));
    rig.capture.clear();

    rig.transport->next();
    QCOMPARE(rig.state().programIndex, qint16(1));
    QCOMPARE(rig.state().playWanted, false);
    QVERIFY(rig.updateUntilTrack(2));
    rig.update(3);
    QCOMPARE(runTracks(rig.runs(), map), QStringLiteral("1[..2)"));
    QCOMPARE(rig.state().programIndex, qint16(1));
    QCOMPARE(rig.state().playWanted, false);
}

QTEST_GUILESS_MAIN(TestSequencing)
#include "tst_sequencing.moc"
