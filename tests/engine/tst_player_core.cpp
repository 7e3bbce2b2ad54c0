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
        core->Timer1.setInterval(PlayerCore::kOpenRetryMs);
        clock.advance(PlayerCore::kOpenRetryMs);
    }
    // Runs time on to the next status update; returns what it did.
    QStringList update()
    {
        view.log.clear();
        clock.advance(kTick);
        return view.log;
    }
    // Steps until Text1 reads track, at most limit updates; returns the log
    // of the update that changed it, empty if it never did.
    QStringList updateUntilTrack(const QString &track, int limit)
    {
        for (int i = 0; i < limit; ++i) {
            const QStringList log = update();
            if (core->Text1.text() == track)
                return log;
        }
        return {};
    }
    int opens() const { return int(commands.count(QStringLiteral("open"))); }
};

const QStringList kSameTextsStopped{"DrawDigits", "DrawIndicators", "CheckTrack", "DrawStillDisc",
                                    "CheckStop"};
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
    QCOMPARE(rig.core->Text1.text(), QStringLiteral("Text1"));
    QCOMPARE(rig.core->state.Opnd, qint16(0));

    rig.core->Timer1.setInterval(PlayerCore::kOpenRetryMs);
    rig.clock.advance(PlayerCore::kOpenRetryMs - 1);
    QVERIFY(rig.commands.isEmpty());

    rig.clock.advance(1);
    QCOMPARE(rig.commands, QStringList{"open"});
    QCOMPARE(rig.core->state.Opnd, qint16(1));
    const CdAudioControl &mmc = rig.core->MMC;
    QVERIFY(mmc.Wait());
    QVERIFY(!mmc.Shareable());
    QCOMPARE(mmc.DeviceType(), QStringLiteral("CDAudio"));
    QCOMPARE(mmc.FileName(), QString());
    QCOMPARE(mmc.TimeFormat(), 10);
    QCOMPARE(mmc.UpdateInterval(), 200);
    QCOMPARE(rig.core->Timer1.interval(), 0);
    QVERIFY2(rig.view.log.isEmpty(), "the open itself draws nothing");
}

void TestPlayerCore::firstUpdateAlwaysRunsTheText1Handler()
{
    Rig rig(m_disc);
    rig.openDevice();
    // Text1 handler (with the old digits), disc panel; Text2 and Text4 get
    // their first texts; then the update's own redraw with the new digits.
    QCOMPARE(rig.update(), QStringList({"DrawDigits", "showDiscPanel", "DrawDigits", "DrawDigits",
                                        "DrawDigits", "DrawIndicators", "CheckTrack",
                                        "DrawStillDisc", "CheckStop"}));
    PlayerCore &core = *rig.core;
    QCOMPARE(core.MMC.Track(), 1);
    QCOMPARE(QStringList({core.Text1.text(), core.Text2.text(), core.Text3.text(),
                          core.Text4.text(), core.Text5.text()}),
             QStringList({"01", "00:00", "00:03", "03", "00:12"}));
    QCOMPARE(core.digits.TrD2, QChar('1'));
    QCOMPARE(core.digits.TlsD2, QChar('3'));
    QCOMPARE(core.digits.TcD2, qint16(3));
    QCOMPARE(core.digits.LsD1, QChar('1'));
    QCOMPARE(core.Timer1.interval(), 0);
    QCOMPARE(core.state.CurMode, qint32(CdAudioControl::ModeStopped));
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
    // Playing, so no still disc; the elapsed time starts again (Text2),
    // the track count stays (no Text4 handler).
    QCOMPARE(log, QStringList({"DrawDigits", "showDiscPanel", "DrawDigits", "DrawDigits",
                               "DrawIndicators", "CheckTrack", "CheckStop"}));
    PlayerCore &core = *rig.core;
    QCOMPARE(core.MMC.Track(), 2);
    QCOMPARE(core.Text3.text(), QStringLiteral("00:04"));
    QCOMPARE(core.texts.TrLenSec, QStringLiteral("04"));
    QCOMPARE(core.digits.TlsD2, QChar('4'));
    QCOMPARE(core.Text5.text(), QStringLiteral("00:12"));
    QCOMPARE(core.state.PlyTr, 2);
}

void TestPlayerCore::checksSeeTheModeOfTheirPlace()
{
    Rig rig(m_disc);
    rig.openDevice();
    rig.update();
    QCOMPARE(rig.core->state.PlyTr, 0);

    rig.core->command(QStringLiteral("play"));
    rig.update();
    // CheckTrack still sees the stopped mode of the update before; CheckStop
    // already sees the device playing, and the playing track.
    QCOMPARE(rig.sequencing->curModeAtCheckTrack.last(), qint32(CdAudioControl::ModeStopped));
    QCOMPARE(rig.sequencing->curModeAtCheckStop.last(), qint32(CdAudioControl::ModePlaying));
    QCOMPARE(rig.core->state.PlyTr, 1);

    rig.core->command(QStringLiteral("stop"));
    rig.update();
    QCOMPARE(rig.sequencing->curModeAtCheckTrack.last(), qint32(CdAudioControl::ModePlaying));
    QCOMPARE(rig.sequencing->curModeAtCheckStop.last(), qint32(CdAudioControl::ModeStopped));
    QCOMPARE(rig.core->state.PlyTr, 1);
}

void TestPlayerCore::discLossResetsAndReopens()
{
    Rig rig(m_disc);
    rig.openDevice();
    rig.update();
    PlayerCore &core = *rig.core;
    core.state.B = ModeProgram;
    core.state.PgmPlay = 1;
    core.state.Ply = 1;
    core.List1.add(QStringLiteral("02"));
    core.List1.add(QStringLiteral("01"));
    core.List1.setListIndex(0);

    core.command(QStringLiteral("eject"));
    // Track 0: the idle panel comes forward and the updates stop; the track
    // count goes to "00" (Text4 handler), the elapsed time stays "00:00".
    QCOMPARE(rig.update(), QStringList({"DrawDigits", "showIdlePanel", "DrawDigits", "DrawDigits",
                                        "DrawIndicators", "CheckTrack", "CheckStop"}));
    QCOMPARE(core.Text1.text(), QStringLiteral("00"));
    QCOMPARE(core.MMC.UpdateInterval(), 0);
    QCOMPARE(core.Timer1.interval(), PlayerCore::kOpenRetryMs);
    QCOMPARE(core.state.Stp, qint16(1));
    QCOMPARE(core.state.Ply, qint16(0));
    QCOMPARE(core.state.RepTr, 1);
    QCOMPARE(core.state.B, qint16(ModeNormal));
    QCOMPARE(core.state.PgmPlay, qint16(0));
    QVERIFY(core.List1.isEmpty());

    const int opensBefore = rig.opens();
    rig.view.log.clear();
    rig.clock.advance(PlayerCore::kOpenRetryMs - 1);
    QVERIFY2(rig.view.log.isEmpty(), "no status update while the disc is away");
    rig.clock.advance(1);
    QCOMPARE(rig.opens(), opensBefore + 1);

    // The image is read again at the open: the disc is back.
    QCOMPARE(rig.update(), QStringList({"DrawDigits", "showDiscPanel", "DrawDigits", "DrawDigits",
                                        "DrawIndicators", "CheckTrack", "DrawStillDisc",
                                        "CheckStop"}));
    QCOMPARE(core.Text1.text(), QStringLiteral("01"));
    QCOMPARE(core.Text4.text(), QStringLiteral("03"));
    QCOMPARE(core.Timer1.interval(), 0);
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
    QCOMPARE(rig.core->Text1.text(), QStringLiteral("00"));

    for (int i = 0; i < 25; ++i)
        QVERIFY(!rig.update().contains(QStringLiteral("showIdlePanel")));
    QVERIFY2(rig.opens() >= 7, qPrintable(QString::number(rig.opens())));
    QCOMPARE(rig.core->Text1.text(), QStringLiteral("00"));

    QCOMPARE(writeDisc(QStringLiteral("later"), tracksOfSeconds({4, 4})), later);
    QVERIFY(!rig.updateUntilTrack(QStringLiteral("01"), 10).isEmpty());
    QCOMPARE(rig.core->Text4.text(), QStringLiteral("02"));
    QCOMPARE(rig.core->Timer1.interval(), 0);
}

void TestPlayerCore::captionOnlyWhileMinimizedWithADisc()
{
    Rig rig(m_disc);
    rig.openDevice();
    QVERIFY(!rig.update().contains(QStringLiteral("setCaption")));

    rig.view.minimized = true;
    QCOMPARE(rig.update().filter(QStringLiteral("setCaption")).size(), 1);
    QCOMPARE(rig.view.caption, QStringLiteral("[01]  00:00  通常再生"));

    rig.core->state.B = ModeTrackRepeat;
    rig.update();
    QCOMPARE(rig.view.caption, QStringLiteral("[01] 00:00  トラックリピート"));

    rig.core->state.B = 3;
    QVERIFY(!rig.update().contains(QStringLiteral("setCaption")));

    rig.core->state.B = ModeNormal;
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
    QCOMPARE(rig.core->Timer1.interval(), 0);
}

QTEST_GUILESS_MAIN(TestPlayerCore)
#include "tst_player_core.moc"
