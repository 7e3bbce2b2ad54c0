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
    rig.transport->pause();
    QCOMPARE(rig.state().pausedByUser, false);

    rig.transport->play();
    rig.update(3);
    rig.state().stoppedByUser = true;  // only to see that pause leaves it alone
    rig.commands.clear();
    rig.transport->pause();
    QCOMPARE(rig.commands, QStringList{"pause"});
    QCOMPARE(rig.state().playWanted, false);
    QCOMPARE(rig.state().pausedByUser, true);
    QCOMPARE(rig.state().stoppedByUser, true);
    rig.transport->pause();
    QCOMPARE(rig.commands, QStringList{"pause"});

    const qint64 heard = rig.capture.frames();
    rig.update(5);
    QCOMPARE(rig.capture.frames(), heard);
    rig.transport->play();
    QCOMPARE(rig.state().playWanted, true);
    QCOMPARE(rig.state().pausedByUser, false);
    QCOMPARE(rig.state().stoppedByUser, false);
    rig.update(3);
    QCOMPARE(describeRuns(rig.runs()), describeRuns({CapturedRun{false, 0, 6 * 8820}}));
}

void TestTransport::stopThenPlayStartsAtTheTrackStart()
{
    PlayerRig rig(m_disc);
    const DiscMap map(m_layout);
    rig.open();
    rig.transport->play();
    QVERIFY(rig.updateUntilTrack(2));
    rig.update(2);
    rig.transport->pause();
    rig.commands.clear();
    rig.transport->stop();
    QCOMPARE(rig.commands, QStringList({"prev", "stop"}));
    QCOMPARE(rig.state().stoppedByUser, true);
    QCOMPARE(rig.state().pausedByUser, false);
    QCOMPARE(rig.state().playWanted, false);
    QCOMPARE(rig.mmc().mode(), qint32(CdAudioControl::ModeStopped));

    const qint64 heard = rig.capture.frames();
    rig.update(3);
    QCOMPARE(rig.capture.frames(), heard);
    rig.transport->play();
    QCOMPARE(rig.state().repeatTrack, 2);
    rig.update(2);
    QCOMPARE(rig.runs().back().first, map.start(2));
}

void TestTransport::prevAndNextInNormalPlay()
{
    PlayerRig rig(m_disc);
    const DiscMap map(m_layout);
    rig.open();
    rig.transport->play();
    rig.update(2);
    rig.commands.clear();
    rig.transport->next();
    QCOMPARE(rig.state().repeatTrack, 2);
    rig.update(2);
    rig.transport->previous();  // back to the start of track 2
    QCOMPARE(rig.state().repeatTrack, 2);
    rig.transport->previous();  // again within 3 s: track 1
    QCOMPARE(rig.state().repeatTrack, 1);
    QCOMPARE(rig.commands, QStringList({"next", "prev", "prev"}));
    QCOMPARE(rig.state().playWanted, true);
    rig.update(2);
    QCOMPARE(runTracks(rig.runs(), map), QStringLiteral("1[..1) 2[..2) 1[..1)"));
}

void TestTransport::prevAndNextWhileStoppedLeavePlayUnwanted()
{
    PlayerRig rig(m_disc);
    rig.open();
    rig.transport->next();
    rig.transport->next();
    QCOMPARE(rig.state().repeatTrack, 3);
    rig.transport->previous();
    QCOMPARE(rig.state().repeatTrack, 3);
    rig.update(3);
    QCOMPARE(rig.state().playWanted, false);
    QCOMPARE(rig.mmc().mode(), qint32(CdAudioControl::ModeStopped));
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
            forward ? rig.transport->next() : rig.transport->previous();
            const int track = rig.core->programList.entry(index).toInt();
            QCOMPARE(rig.core->programList.listIndex(), index);
            QCOMPARE(rig.state().programIndex, qint16(index));
            QCOMPARE(rig.state().programDirection, qint16(forward ? 1 : 2));
            QCOMPARE(rig.mmc().track(), track);
            QCOMPARE(rig.state().repeatTrack, track);
            rig.update();
            QCOMPARE(rig.text1().toInt(), track);
            QCOMPARE(rig.state().programIndex, qint16(index));
        }
        QCOMPARE(trackSteps(rig.commands), QStringList());
        QCOMPARE(rig.commands.count(QStringLiteral("play")), qsizetype(steps.size()));
        QCOMPARE(rig.state().playWanted, true);
        QCOMPARE(rig.state().playMode, mode);
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
    rig.transport->eject();
    QCOMPARE(rig.commands, QStringList({"stop", "eject"}));
    QCOMPARE(rig.mmc().from(), 1);
    const PlayerState &s = rig.state();
    QCOMPARE(s.stoppedByUser, true);
    QCOMPARE(s.playWanted, false);
    QCOMPARE(s.repeatTrack, 1);
    QCOMPARE(s.playMode, qint16(ModeNormal));
    QCOMPARE(s.programReserved, false);
    QVERIFY(rig.core->programList.isEmpty());
    QCOMPARE(rig.mmc().updateInterval(), 0);
    QCOMPARE(rig.core->openTimer.interval(), Transport::kReopenAfterEjectMs);

    rig.clock.advance(Transport::kReopenAfterEjectMs - 1);
    QCOMPARE(rig.commands, QStringList({"stop", "eject"}));
    rig.clock.advance(1);
    QCOMPARE(rig.commands.last(), QStringLiteral("open"));
    QCOMPARE(rig.mmc().updateInterval(), PlayerCore::kStatusIntervalMs);
}

// trackField reads "00": the guarded commands and the mode step do nothing; the
// seek goes to the device unchanged, mute has no guard, and the repeat
// button still takes repeatTrack from trackField.
void TestTransport::withoutADiscOnlySeekAndMuteAct()
{
    PlayerRig rig(scratchDir() + QStringLiteral("/absent.cue"));
    rig.open();
    QCOMPARE(rig.text1(), QStringLiteral("00"));
    rig.commands.clear();
    const PlayerState before = rig.state();
    Transport &t = *rig.transport;
    for (int i = 0; i < 6; ++i)
        t.pressTransportButton(i);
    t.cycleRepeat();
    QCOMPARE(rig.commands, QStringList());
    QCOMPARE(rig.state().playMode, before.playMode);
    QCOMPARE(rig.state().playWanted, before.playWanted);
    QCOMPARE(rig.state().stoppedByUser, before.stoppedByUser);
    QCOMPARE(rig.state().repeatTrack, 0);

    t.seekBy(5000);
    QCOMPARE(rig.commands, QStringList{"play"});
    t.toggleMute();
    QVERIFY(rig.mmc().silent());
    QCOMPARE(rig.state().muted, true);
    t.toggleMute();
    QVERIFY(!rig.mmc().silent());
    QCOMPARE(rig.state().muted, false);
}

void TestTransport::repeatStepsThroughTheModesOfItsKind()
{
    PlayerRig rig(m_disc);
    rig.open();
    rig.transport->next();
    rig.update();
    PlayerState &s = rig.state();
    QList<qint16> seen;
    for (int i = 0; i < 4; ++i) {
        s.repeatTrack = 0;
        rig.transport->cycleRepeat();
        seen << s.playMode;
        QCOMPARE(s.repeatTrack, 2);
    }
    QCOMPARE(seen, QList<qint16>({1, 2, 0, 1}));

    s.programReserved = true;
    s.playMode = ModeProgram;
    seen.clear();
    for (int i = 0; i < 3; ++i) {
        rig.transport->cycleRepeat();
        seen << s.playMode;
    }
    QCOMPARE(seen, QList<qint16>({5, 4, 5}));

    s.playMode = ModeTrackRepeat;  // a mode of the other kind is left alone
    rig.transport->cycleRepeat();
    QCOMPARE(s.playMode, qint16(ModeTrackRepeat));
}

// Unclamped: before the first 10 s the From is negative. A seek from the
// stopped state plays with play still unwanted, so no repeat follows.
void TestTransport::seeksMoveByTheirAmountAndChangeNoState()
{
    PlayerRig rig(m_disc);
    const DiscMap map(m_layout);
    rig.open();
    rig.transport->play();
    rig.update(5);
    const int64_t at = rig.positionFrame();
    rig.transport->seekBy(5000);
    QCOMPARE(rig.positionFrame(), at + 5000 * 441 / 10);
    QCOMPARE(rig.mmc().timeFormat(), qint32(CdAudioControl::TimeFormatTmsf));
    rig.transport->seekBy(-10000);
    QCOMPARE(rig.mmc().from(), qint32(1000 + 5000 - 10000));

    PlayerRig stopped(m_disc);
    stopped.open();
    stopped.transport->cycleRepeat();
    const PlayerState before = stopped.state();
    stopped.transport->seekBy(10000);
    QCOMPARE(stopped.commands, QStringList({"open", "play"}));
    QVERIFY(stopped.updateUntilStopped());
    QCOMPARE(runTracks(stopped.runs(), map), QStringLiteral("3(..3]"));
    QCOMPARE(stopped.state().playWanted, before.playWanted);
    QCOMPARE(stopped.state().stoppedByUser, before.stoppedByUser);
    QCOMPARE(stopped.state().playMode, before.playMode);
    QCOMPARE(stopped.state().repeatTrack, before.repeatTrack);
}

QTEST_GUILESS_MAIN(TestTransport)
#include "tst_transport.moc"
