// SPDX-License-Identifier: GPL-3.0-or-later
// The transport commands on the real device control: what they send, in
// which order, what they leave in the player state and what is heard.
#include "player_rig.h"

#include <QtTest>

namespace {
QStringList trackSteps(const QStringList &commands)
{
    return commands.filter(QRegularExpression(QStringLiteral("^(prev|next)$")));
}
}  // namespace

class TestTransport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void pauseOnlyWhilePlayingAndResumesAtTheFrame();
    void stopThenPlayStartsAtTheTrackStart();
    void prevAndNextInNormalPlay();
    void prevAndNextWhileStoppedLeavePlayUnwanted();
    void prevAndNextStepTheProgramAndWrap();
    void ejectDropsTheProgramAndReopens();
    void withoutADiscOnlySeekAndMuteAct();
    void repeatStepsThroughTheModesOfItsKind();
    void seeksMoveByTheirAmountAndChangeNoState();

private:
    TestDiscLayout m_layout = tracksOfSeconds({4, 4, 4});
    QString m_disc;
};

void TestTransport::initTestCase() { m_disc = writeDisc(QStringLiteral("transport"), m_layout); }

void TestTransport::pauseOnlyWhilePlayingAndResumesAtTheFrame()
{
    PlayerRig rig(m_disc);
    rig.open();
    rig.transport->DoPause();
    QCOMPARE(rig.state().Pose, qint16(0));

    rig.transport->DoPlay();
    rig.update(3);
    rig.state().Stp = 1;  // only to see that pause leaves it alone
    rig.commands.clear();
    rig.transport->DoPause();
    QCOMPARE(rig.commands, QStringList{"pause"});
    QCOMPARE(rig.state().Ply, qint16(0));
    QCOMPARE(rig.state().Pose, qint16(1));
    QCOMPARE(rig.state().Stp, qint16(1));
    rig.transport->DoPause();
    QCOMPARE(rig.commands, QStringList{"pause"});

    const qint64 heard = rig.capture.frames();
    rig.update(5);
    QCOMPARE(rig.capture.frames(), heard);
    rig.transport->DoPlay();
    QCOMPARE(rig.state().Ply, qint16(1));
    QCOMPARE(rig.state().Pose, qint16(0));
    QCOMPARE(rig.state().Stp, qint16(0));
    rig.update(3);
    QCOMPARE(describeRuns(rig.runs()), describeRuns({CapturedRun{false, 0, 6 * 8820}}));
}

void TestTransport::stopThenPlayStartsAtTheTrackStart()
{
    PlayerRig rig(m_disc);
    const DiscMap map(m_layout);
    rig.open();
    rig.transport->DoPlay();
    QVERIFY(rig.updateUntilTrack(2));
    rig.update(2);
    rig.transport->DoPause();
    rig.commands.clear();
    rig.transport->DoStop();
    QCOMPARE(rig.commands, QStringList({"prev", "stop"}));
    QCOMPARE(rig.state().Stp, qint16(1));
    QCOMPARE(rig.state().Pose, qint16(0));
    QCOMPARE(rig.state().Ply, qint16(0));
    QCOMPARE(rig.mmc().Mode(), qint32(CdAudioControl::ModeStopped));

    const qint64 heard = rig.capture.frames();
    rig.update(3);
    QCOMPARE(rig.capture.frames(), heard);
    rig.transport->DoPlay();
    QCOMPARE(rig.state().RepTr, 2);
    rig.update(2);
    QCOMPARE(rig.runs().back().first, map.start(2));
}

void TestTransport::prevAndNextInNormalPlay()
{
    PlayerRig rig(m_disc);
    const DiscMap map(m_layout);
    rig.open();
    rig.transport->DoPlay();
    rig.update(2);
    rig.commands.clear();
    rig.transport->DoNext();
    QCOMPARE(rig.state().RepTr, 2);
    rig.update(2);
    rig.transport->DoPrev();  // back to the start of track 2
    QCOMPARE(rig.state().RepTr, 2);
    rig.transport->DoPrev();  // again within 3 s: track 1
    QCOMPARE(rig.state().RepTr, 1);
    QCOMPARE(rig.commands, QStringList({"next", "prev", "prev"}));
    QCOMPARE(rig.state().Ply, qint16(1));
    rig.update(2);
    QCOMPARE(runTracks(rig.runs(), map), QStringLiteral("1[..1) 2[..2) 1[..1)"));
}

void TestTransport::prevAndNextWhileStoppedLeavePlayUnwanted()
{
    PlayerRig rig(m_disc);
    rig.open();
    rig.transport->DoNext();
    rig.transport->DoNext();
    QCOMPARE(rig.state().RepTr, 3);
    rig.transport->DoPrev();
    QCOMPARE(rig.state().RepTr, 3);
    rig.update(3);
    QCOMPARE(rig.state().Ply, qint16(0));
    QCOMPARE(rig.mmc().Mode(), qint32(CdAudioControl::ModeStopped));
    QCOMPARE(rig.capture.frames(), qint64(0));
}

// Never "prev" or "next" to the device: each step plays the entry reached,
// wrapping at both ends in program play as in program repeat.
void TestTransport::prevAndNextStepTheProgramAndWrap()
{
    for (qint16 mode : {qint16(ModeProgram), qint16(ModeProgramRepeat)}) {
        PlayerRig rig(m_disc);
        rig.open();
        rig.startProgram({"02", "03", "01"}, mode);
        rig.update();
        rig.commands.clear();
        const QList<std::pair<bool, int>> steps{{true, 1}, {true, 2}, {true, 0}, {false, 2}, {false, 1}, {false, 0}, {false, 2}};
        for (const auto &[forward, index] : steps) {
            forward ? rig.transport->DoNext() : rig.transport->DoPrev();
            const int track = rig.core->List1.entry(index).toInt();
            QCOMPARE(rig.core->List1.listIndex(), index);
            QCOMPARE(rig.state().LstCnt, qint16(index));
            QCOMPARE(rig.state().PgmDir, qint16(forward ? 1 : 2));
            QCOMPARE(rig.mmc().Track(), track);
            QCOMPARE(rig.state().RepTr, track);
            rig.update();
            QCOMPARE(rig.text1().toInt(), track);
            QCOMPARE(rig.state().LstCnt, qint16(index));
        }
        QCOMPARE(trackSteps(rig.commands), QStringList());
        QCOMPARE(rig.commands.count(QStringLiteral("play")), qsizetype(steps.size()));
        QCOMPARE(rig.state().Ply, qint16(1));
        QCOMPARE(rig.state().B, mode);
    }
}

// No question asked; the device is opened again 200 ms later.
void TestTransport::ejectDropsTheProgramAndReopens()
{
    PlayerRig rig(m_disc);
    rig.open();
    rig.startProgram({"02", "03"});
    rig.update(3);
    rig.commands.clear();
    rig.transport->DoEject();
    QCOMPARE(rig.commands, QStringList({"stop", "eject"}));
    QCOMPARE(rig.mmc().From(), 1);
    const PlayerState &s = rig.state();
    QCOMPARE(s.Stp, qint16(1));
    QCOMPARE(s.Ply, qint16(0));
    QCOMPARE(s.RepTr, 1);
    QCOMPARE(s.B, qint16(ModeNormal));
    QCOMPARE(s.PgmPlay, qint16(0));
    QVERIFY(rig.core->List1.isEmpty());
    QCOMPARE(rig.mmc().UpdateInterval(), 0);
    QCOMPARE(rig.core->Timer1.interval(), Transport::kReopenAfterEjectMs);

    rig.clock.advance(Transport::kReopenAfterEjectMs - 1);
    QCOMPARE(rig.commands, QStringList({"stop", "eject"}));
    rig.clock.advance(1);
    QCOMPARE(rig.commands.last(), QStringLiteral("open"));
    QCOMPARE(rig.mmc().UpdateInterval(), PlayerCore::kStatusIntervalMs);
}

// Text1 reads "00": the guarded commands and the mode step do nothing; the
// seek goes to the device unchanged, mute has no guard, and the repeat
// button still takes RepTr from Text1.
void TestTransport::withoutADiscOnlySeekAndMuteAct()
{
    PlayerRig rig(scratchDir() + QStringLiteral("/absent.cue"));
    rig.open();
    QCOMPARE(rig.text1(), QStringLiteral("00"));
    rig.commands.clear();
    const PlayerState before = rig.state();
    Transport &t = *rig.transport;
    for (int i = 0; i < 6; ++i)
        t.ContP(i);
    t.Repeat();
    QCOMPARE(rig.commands, QStringList());
    QCOMPARE(rig.state().B, before.B);
    QCOMPARE(rig.state().Ply, before.Ply);
    QCOMPARE(rig.state().Stp, before.Stp);
    QCOMPARE(rig.state().RepTr, 0);

    t.seekBy(5000);
    QCOMPARE(rig.commands, QStringList{"play"});
    t.ToggleMute();
    QVERIFY(rig.mmc().Silent());
    QCOMPARE(rig.state().Mute, qint16(1));
    t.ToggleMute();
    QVERIFY(!rig.mmc().Silent());
    QCOMPARE(rig.state().Mute, qint16(0));
}

void TestTransport::repeatStepsThroughTheModesOfItsKind()
{
    PlayerRig rig(m_disc);
    rig.open();
    rig.transport->DoNext();
    rig.update();
    PlayerState &s = rig.state();
    QList<qint16> seen;
    for (int i = 0; i < 4; ++i) {
        s.RepTr = 0;
        rig.transport->Repeat();
        seen << s.B;
        QCOMPARE(s.RepTr, 2);
    }
    QCOMPARE(seen, QList<qint16>({1, 2, 0, 1}));

    s.PgmPlay = 1;
    s.B = ModeProgram;
    seen.clear();
    for (int i = 0; i < 3; ++i) {
        rig.transport->Repeat();
        seen << s.B;
    }
    QCOMPARE(seen, QList<qint16>({5, 4, 5}));

    s.B = ModeTrackRepeat;  // a mode of the other kind is left alone
    rig.transport->Repeat();
    QCOMPARE(s.B, qint16(ModeTrackRepeat));
}

// Unclamped: before the first 10 s the From is negative. A seek from the
// stopped state plays with play still unwanted, so no repeat follows.
void TestTransport::seeksMoveByTheirAmountAndChangeNoState()
{
    PlayerRig rig(m_disc);
    const DiscMap map(m_layout);
    rig.open();
    rig.transport->DoPlay();
    rig.update(5);
    const int64_t at = rig.positionFrame();
    rig.transport->seekBy(5000);
    QCOMPARE(rig.positionFrame(), at + 5000 * 441 / 10);
    QCOMPARE(rig.mmc().TimeFormat(), qint32(CdAudioControl::TimeFormatTmsf));
    rig.transport->seekBy(-10000);
    QCOMPARE(rig.mmc().From(), qint32(1000 + 5000 - 10000));

    PlayerRig stopped(m_disc);
    stopped.open();
    stopped.transport->Repeat();
    const PlayerState before = stopped.state();
    stopped.transport->seekBy(10000);
    QCOMPARE(stopped.commands, QStringList({"open", "play"}));
    QVERIFY(stopped.updateUntilStopped());
    QCOMPARE(runTracks(stopped.runs(), map), QStringLiteral("3(..3]"));
    QCOMPARE(stopped.state().Ply, before.Ply);
    QCOMPARE(stopped.state().Stp, before.Stp);
    QCOMPARE(stopped.state().B, before.B);
    QCOMPARE(stopped.state().RepTr, before.RepTr);
}

QTEST_GUILESS_MAIN(TestTransport)
#include "tst_transport.moc"
