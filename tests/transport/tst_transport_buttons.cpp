// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's transport, repeat and mute buttons, clicked offscreen:
// which mouse edge and which button reach which command.
#include "disc_rig.h"
#include "window_rig.h"

#include <QtTest>

#include <memory>

namespace {
constexpr int kTick = PlayerCore::kStatusIntervalMs;

// Opened on the disc, with the position readable in milliseconds.
struct ButtonRig : WindowRig {
    explicit ButtonRig(const QString &device) : WindowRig(device) { openWithDisc(); }
    qint32 positionMs()
    {
        CdAudioControl &mmc = core().device;
        mmc.setTimeFormat(CdAudioControl::TimeFormatMilliseconds);
        const qint32 ms = mmc.position();
        mmc.setTimeFormat(CdAudioControl::TimeFormatTmsf);
        return ms;
    }
};
}  // namespace

class TestTransportButtons : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void transportButtonsActOnTheLeftPressOnly();
    void eachTransportButtonRunsItsCommand_data();
    void eachTransportButtonRunsItsCommand();
    void repeatAndMuteActOnTheReleaseOfAnyButton();

private:
    QString m_disc;
};

void TestTransportButtons::initTestCase()
{
    m_disc = writeDisc(QStringLiteral("buttons"), tracksOfSeconds({4, 4, 4}));
}

void TestTransportButtons::transportButtonsActOnTheLeftPressOnly()
{
    ButtonRig rig(m_disc);
    rig.commands.clear();
    PictureButton *play = rig.skin().transportButtons[2];
    QTest::mousePress(play, Qt::RightButton);
    QTest::mouseRelease(play, Qt::RightButton);
    QTest::mousePress(play, Qt::MiddleButton);
    QTest::mouseRelease(play, Qt::MiddleButton);
    QCOMPARE(rig.commands, QStringList());
    QCOMPARE(rig.core().state.playWanted, false);

    QTest::mousePress(play, Qt::LeftButton);
    QCOMPARE(rig.commands, QStringList{"play"});
    QCOMPARE(rig.core().state.playWanted, true);
    QTest::mouseRelease(play, Qt::LeftButton);
    QCOMPARE(rig.commands, QStringList{"play"});
}

void TestTransportButtons::eachTransportButtonRunsItsCommand_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<int>("seekMs");  // 0: not a seek
    const QStringList play{"play"};
    QTest::newRow("prev") << 0 << QStringList{"prev"} << 0;
    QTest::newRow("next") << 1 << QStringList{"next"} << 0;
    QTest::newRow("play") << 2 << play << 0;
    QTest::newRow("pause") << 3 << QStringList{"pause"} << 0;
    QTest::newRow("stop") << 4 << QStringList({"prev", "stop"}) << 0;
    QTest::newRow("eject") << 5 << QStringList({"stop", "eject"}) << 0;
    QTest::newRow("back 10 s") << 6 << play << -10000;
    QTest::newRow("back 5 s") << 7 << play << -5000;
    QTest::newRow("on 5 s") << 8 << play << 5000;
    QTest::newRow("on 10 s") << 9 << play << 10000;
}

void TestTransportButtons::eachTransportButtonRunsItsCommand()
{
    QFETCH(int, index);
    QFETCH(QStringList, sent);
    QFETCH(int, seekMs);
    ButtonRig rig(m_disc);
    QTest::mousePress(rig.skin().transportButtons[2], Qt::LeftButton);
    rig.clock.advance(5 * kTick);
    const qint32 at = rig.positionMs();
    rig.commands.clear();

    QTest::mousePress(rig.skin().transportButtons[index], Qt::LeftButton);
    QCOMPARE(rig.commands, sent);
    if (seekMs != 0)
        QCOMPARE(rig.core().device.from(), at + seekMs);
}

void TestTransportButtons::repeatAndMuteActOnTheReleaseOfAnyButton()
{
    ButtonRig rig(m_disc);
    PlayerState &s = rig.core().state;
    QTest::mousePress(rig.skin().repeatButton, Qt::LeftButton);
    QTest::mousePress(rig.skin().muteButton, Qt::LeftButton);
    QCOMPARE(s.playMode, qint16(ModeNormal));
    QCOMPARE(s.muted, false);

    QList<qint16> modes;
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton, Qt::LeftButton}) {
        QTest::mouseClick(rig.skin().repeatButton, button);
        modes << s.playMode;
    }
    QCOMPARE(modes, QList<qint16>({1, 2, 0}));
    QCOMPARE(s.repeatTrack, 1);

    QTest::mouseClick(rig.skin().muteButton, Qt::RightButton);
    QCOMPARE(s.muted, true);
    QVERIFY(rig.core().device.silent());
    QTest::mouseClick(rig.skin().muteButton, Qt::MiddleButton);
    QCOMPARE(s.muted, false);
    QVERIFY(!rig.core().device.silent());
}

QTEST_MAIN(TestTransportButtons)
#include "tst_transport_buttons.moc"
