// SPDX-License-Identifier: GPL-3.0-or-later
// The status update and the open timer, on the real device control with a
// generated disc image, a manual clock and a capturing output.
#include "capture_options.h"
#include "disc_rig.h"
#include "player_core.h"
#include "recording_view.h"

#include <QFile>
#include <QtTest>

#include <memory>

namespace {
constexpr int kTick = PlayerCore::kStatusIntervalMs;

// One player core on its own clock, with everything it does written down.
struct Rig {
    ManualClock clock;
    CaptureOutput capture;
    RecordingView view;
    std::unique_ptr<PlayerCore> core;
    RecordingSequencing *sequencing = nullptr;
    QStringList commands;

    explicit Rig(const QString &device)
    {
        core = std::make_unique<PlayerCore>(captureOptions(device, clock, capture), view);
        auto recording = std::make_unique<RecordingSequencing>(*core, view.log);
        sequencing = recording.get();
        core->setSequencing(std::move(recording));
        QObject::connect(core.get(), &PlayerCore::commandSent,
                         [this](const QString &c) { commands << c; });
    }

    // As start-up leaves it: the open timer armed, the device not yet open.
    void openDevice()
    {
        core->openTimer.setInterval(PlayerCore::kOpenRetryMs);
        clock.advance(PlayerCore::kOpenRetryMs);
    }
    // Runs time on to the next status update; returns what it did.
    QStringList update()
    {
        view.log.clear();
        clock.advance(kTick);
        return view.log;
    }
    // Steps until trackField reads track, at most limit updates; returns the log
    // of the update that changed it, empty if it never did.
    QStringList updateUntilTrack(const QString &track, int limit)
    {
        for (int i = 0; i < limit; ++i) {
            const QStringList log = update();
            if (core->trackField.text() == track)
                return log;
        }
        return {};
    }
    int opens() const { return int(commands.count(QStringLiteral("open"))); }
};

const QStringList kSameTextsStopped{"DrawDigits", "DrawIndicators", "checkTrackChange", "DrawStillDisc",
                                    "checkStop"};
}  // namespace

class TestPlayerCore : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void openTimerOpensTheDevice();
    void firstUpdateAlwaysRunsTheText1Handler();
    void updateWithSameTextsRunsNoChangeHandler();
    void trackChangeSelectsTheTrackAndShowsItsLength();
    void checksSeeTheModeOfTheirPlace();
    void discLossResetsAndReopens();
    void missingDiscIsOpenedAgainAndAgain();
    void captionOnlyWhileMinimizedWithADisc();
    void unloadSilencesAndStopsTheHeartbeat();
    void restsWhileStillUntilWoken_data();
    void restsWhileStillUntilWoken();

private:
    QString m_disc;  // three tracks: 3 s, 4 s, 5 s
};

void TestPlayerCore::initTestCase()
{
    m_disc = writeDisc(QStringLiteral("three"), tracksOfSeconds({3, 4, 5}));
}

void TestPlayerCore::openTimerOpensTheDevice()
{
    Rig rig(m_disc);
    QCOMPARE(rig.core->trackField.text(), QStringLiteral("Text1"));
    QCOMPARE(rig.core->state.deviceOpened, false);

    rig.core->openTimer.setInterval(PlayerCore::kOpenRetryMs);
    rig.clock.advance(PlayerCore::kOpenRetryMs - 1);
    QVERIFY(rig.commands.isEmpty());

    rig.clock.advance(1);
    QCOMPARE(rig.commands, QStringList{"open"});
    QCOMPARE(rig.core->state.deviceOpened, true);
    const CdAudioControl &mmc = rig.core->device;
    QVERIFY(mmc.wait());
    QVERIFY(!mmc.shareable());
    QCOMPARE(mmc.deviceType(), QStringLiteral("CDAudio"));
    QCOMPARE(mmc.fileName(), QString());
    QCOMPARE(mmc.timeFormat(), 10);
    QCOMPARE(mmc.updateInterval(), 200);
    QCOMPARE(rig.core->openTimer.interval(), 0);
    QVERIFY2(rig.view.log.isEmpty(), "the open itself draws nothing");
}

void TestPlayerCore::firstUpdateAlwaysRunsTheText1Handler()
{
    Rig rig(m_disc);
    rig.openDevice();
    // trackField handler (with the old digits), disc panel; elapsedField and trackCountField get
    // their first texts; then the update's own redraw with the new digits.
    QCOMPARE(rig.update(), QStringList({"DrawDigits", "showDiscPanel", "DrawDigits", "DrawDigits",
                                        "DrawDigits", "DrawIndicators", "checkTrackChange",
                                        "DrawStillDisc", "checkStop"}));
    PlayerCore &core = *rig.core;
    QCOMPARE(core.device.track(), 1);
    QCOMPARE(QStringList({core.trackField.text(), core.elapsedField.text(), core.trackLengthField.text(),
                          core.trackCountField.text(), core.discLengthField.text()}),
             QStringList({"01", "00:00", "00:03", "03", "00:12"}));
    QCOMPARE(core.digits.trackUnits, QChar('1'));
    QCOMPARE(core.digits.trackSecondUnits, QChar('3'));
    QCOMPARE(core.digits.trackCountUnits, qint16(3));
    QCOMPARE(core.digits.discSecondTens, QChar('1'));
    QCOMPARE(core.openTimer.interval(), 0);
    QCOMPARE(core.state.lastMode, qint32(CdAudioControl::ModeStopped));
}

void TestPlayerCore::updateWithSameTextsRunsNoChangeHandler()
{
    Rig rig(m_disc);
    rig.openDevice();
    rig.update();
    QCOMPARE(rig.update(), kSameTextsStopped);
    QCOMPARE(rig.update(), kSameTextsStopped);
}

void TestPlayerCore::trackChangeSelectsTheTrackAndShowsItsLength()
{
    Rig rig(m_disc);
    rig.openDevice();
    rig.update();
    rig.core->command(QStringLiteral("play"));

    const QStringList log = rig.updateUntilTrack(QStringLiteral("02"), 30);
    // Playing, so no still disc; the elapsed time starts again (elapsedField),
    // the track count stays (no trackCountField handler).
    QCOMPARE(log, QStringList({"DrawDigits", "showDiscPanel", "DrawDigits", "DrawDigits",
                               "DrawIndicators", "checkTrackChange", "checkStop"}));
    PlayerCore &core = *rig.core;
    QCOMPARE(core.device.track(), 2);
    QCOMPARE(core.trackLengthField.text(), QStringLiteral("00:04"));
    QCOMPARE(core.texts.trackSeconds, QStringLiteral("04"));
    QCOMPARE(core.digits.trackSecondUnits, QChar('4'));
    QCOMPARE(core.discLengthField.text(), QStringLiteral("00:12"));
    QCOMPARE(core.state.lastPlayedTrack, 2);
}

void TestPlayerCore::checksSeeTheModeOfTheirPlace()
{
    Rig rig(m_disc);
    rig.openDevice();
    rig.update();
    QCOMPARE(rig.core->state.lastPlayedTrack, 0);

    rig.core->command(QStringLiteral("play"));
    rig.update();
    // checkTrackChange still sees the stopped mode of the update before; checkStop
    // already sees the device playing, and the playing track.
    QCOMPARE(rig.sequencing->lastModeAtTrackCheck.last(), qint32(CdAudioControl::ModeStopped));
    QCOMPARE(rig.sequencing->lastModeAtStopCheck.last(), qint32(CdAudioControl::ModePlaying));
    QCOMPARE(rig.core->state.lastPlayedTrack, 1);

    rig.core->command(QStringLiteral("stop"));
    rig.update();
    QCOMPARE(rig.sequencing->lastModeAtTrackCheck.last(), qint32(CdAudioControl::ModePlaying));
    QCOMPARE(rig.sequencing->lastModeAtStopCheck.last(), qint32(CdAudioControl::ModeStopped));
    QCOMPARE(rig.core->state.lastPlayedTrack, 1);
}

void TestPlayerCore::discLossResetsAndReopens()
{
    Rig rig(m_disc);
    rig.openDevice();
    rig.update();
    PlayerCore &core = *rig.core;
    core.state.playMode = ModeProgram;
    core.state.programReserved = true;
    core.state.playWanted = true;
    core.programList.add(QStringLiteral("02"));
    core.programList.add(QStringLiteral("01"));
    core.programList.setListIndex(0);

    core.command(QStringLiteral("eject"));
    // Track 0: the idle panel comes forward and the updates stop; the track
    // count goes to "00" (trackCountField handler), the elapsed time stays "00:00".
    QCOMPARE(rig.update(), QStringList({"DrawDigits", "showIdlePanel", "DrawDigits", "DrawDigits",
                                        "DrawIndicators", "checkTrackChange", "checkStop"}));
    QCOMPARE(core.trackField.text(), QStringLiteral("00"));
    QCOMPARE(core.device.updateInterval(), 0);
    QCOMPARE(core.openTimer.interval(), PlayerCore::kOpenRetryMs);
    QCOMPARE(core.state.stoppedByUser, true);
    QCOMPARE(core.state.playWanted, false);
    QCOMPARE(core.state.repeatTrack, 1);
    QCOMPARE(core.state.playMode, qint16(ModeNormal));
    QCOMPARE(core.state.programReserved, false);
    QVERIFY(core.programList.isEmpty());

    const int opensBefore = rig.opens();
    rig.view.log.clear();
    rig.clock.advance(PlayerCore::kOpenRetryMs - 1);
    QVERIFY2(rig.view.log.isEmpty(), "no status update while the disc is away");
    rig.clock.advance(1);
    QCOMPARE(rig.opens(), opensBefore + 1);

    // The image is read again at the open: the disc is back.
    QCOMPARE(rig.update(), QStringList({"DrawDigits", "showDiscPanel", "DrawDigits", "DrawDigits",
                                        "DrawIndicators", "checkTrackChange", "DrawStillDisc",
                                        "checkStop"}));
    QCOMPARE(core.trackField.text(), QStringLiteral("01"));
    QCOMPARE(core.trackCountField.text(), QStringLiteral("03"));
    QCOMPARE(core.openTimer.interval(), 0);
}

// While no disc is found the open timer is left to run out, not pushed back
// by every update, so the device is opened again every 700 ms or so; a disc
// that turns up is found at the next open.
void TestPlayerCore::missingDiscIsOpenedAgainAndAgain()
{
    const QString later = scratchDir() + QStringLiteral("/later.cue");
    Rig rig(later);
    rig.openDevice();
    QCOMPARE(rig.update().mid(0, 2), QStringList({"DrawDigits", "showIdlePanel"}));
    QCOMPARE(rig.core->trackField.text(), QStringLiteral("00"));

    for (int i = 0; i < 25; ++i)
        QVERIFY(!rig.update().contains(QStringLiteral("showIdlePanel")));
    QVERIFY2(rig.opens() >= 7, qPrintable(QString::number(rig.opens())));
    QCOMPARE(rig.core->trackField.text(), QStringLiteral("00"));

    QCOMPARE(writeDisc(QStringLiteral("later"), tracksOfSeconds({4, 4})), later);
    QVERIFY(!rig.updateUntilTrack(QStringLiteral("01"), 10).isEmpty());
    QCOMPARE(rig.core->trackCountField.text(), QStringLiteral("02"));
    QCOMPARE(rig.core->openTimer.interval(), 0);
}

void TestPlayerCore::captionOnlyWhileMinimizedWithADisc()
{
    Rig rig(m_disc);
    rig.openDevice();
    QVERIFY(!rig.update().contains(QStringLiteral("setCaption")));

    rig.view.minimized = true;
    QCOMPARE(rig.update().filter(QStringLiteral("setCaption")).size(), 1);
    QCOMPARE(rig.view.caption, QStringLiteral("[01]  00:00  通常再生"));

    rig.core->state.playMode = ModeTrackRepeat;
    rig.update();
    QCOMPARE(rig.view.caption, QStringLiteral("[01] 00:00  トラックリピート"));

    rig.core->state.playMode = 3;
    QVERIFY(!rig.update().contains(QStringLiteral("setCaption")));

    rig.core->state.playMode = ModeNormal;
    rig.core->command(QStringLiteral("eject"));
    QVERIFY(!rig.update().contains(QStringLiteral("setCaption")));
    QCOMPARE(rig.view.caption, QStringLiteral("[01] 00:00  トラックリピート"));
}

void TestPlayerCore::unloadSilencesAndStopsTheHeartbeat()
{
    Rig rig(m_disc);
    rig.openDevice();
    rig.update();
    rig.core->command(QStringLiteral("play"));
    for (int i = 0; i < 3; ++i)
        rig.update();
    QVERIFY(rig.capture.frames() > 0);

    rig.commands.clear();
    rig.core->unload();
    QCOMPARE(rig.commands, QStringList({"stop", "close"}));
    const qint64 heard = rig.capture.frames();
    rig.view.log.clear();
    rig.clock.advance(3000);
    QCOMPARE(rig.capture.frames(), heard);
    QVERIFY(rig.view.log.isEmpty());
    QCOMPARE(rig.core->openTimer.interval(), 0);
}

void TestPlayerCore::restsWhileStillUntilWoken_data()
{
    QTest::addColumn<bool>("withDisc");
    QTest::addColumn<bool>("playing");
    QTest::addColumn<bool>("rests");
    QTest::newRow("stopped disc") << true << false << true;
    QTest::newRow("no disc") << false << false << true;
    QTest::newRow("playing") << true << true << false;
}

// Still means nothing an update reads or writes changed: resting, neither
// the updates nor the open timer run until wake(); then both go on as before.
void TestPlayerCore::restsWhileStillUntilWoken()
{
    QFETCH(bool, withDisc);
    QFETCH(bool, playing);
    QFETCH(bool, rests);
    Rig rig(withDisc ? m_disc : scratchDir() + QStringLiteral("/never.cue"));
    rig.core->allowRest();
    rig.openDevice();
    if (playing)
        rig.core->command(QStringLiteral("play"));
    for (int i = 0; i < 10 && !rig.core->isResting(); ++i)
        rig.update();
    QCOMPARE(rig.core->isResting(), rests);
    if (!rests)
        return;

    const int opens = rig.opens();
    rig.view.log.clear();
    rig.clock.advance(5000);
    QVERIFY2(rig.view.log.isEmpty() && rig.opens() == opens, "nothing runs at rest");

    rig.core->wake();
    rig.clock.advance(PlayerCore::kOpenRetryMs);
    QVERIFY(rig.view.log.contains(QStringLiteral("checkStop")));
    QCOMPARE(rig.opens() > opens, !withDisc);
}

QTEST_GUILESS_MAIN(TestPlayerCore)
#include "tst_player_core.moc"
