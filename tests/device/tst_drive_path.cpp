// SPDX-License-Identifier: GPL-3.0-or-later
// The path a real CD drive takes (paranoia reads, the tray, the media-change
// flag, the default drive), run on disc images standing in for drives,
// with a drive's troubles made to order.
#include "capture_runs.h"
#include "disc_rig.h"
#include "image_drive.h"
#include "problem_report.h"
#include "read_ahead_model.h"
#include "stderr_capture.h"

#include <QtEndian>

#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QThread>

class DrivePathTest : public QObject {
    Q_OBJECT

private slots:
    void paranoiaPlaysTheDiscBitExactAndGapless_data();
    void paranoiaPlaysTheDiscBitExactAndGapless();
    void dataTrackIsNeverPlayed_data();
    void dataTrackIsNeverPlayed();
    void badSectorsAreBridgedOver();
    void speedIsSetAndGivenBack_data();
    void speedIsSetAndGivenBack();
    void modelPlaysQuietlyWithoutUnderrun_data();
    void modelPlaysQuietlyWithoutUnderrun();
    void idleDriveRestsAndPlayWakesIt();
    void slowReadHoldsUpNeitherUpdatesNorCommands();
    void emptyDriveAndDefaultDrive();
    void mediaChangeMidPlayReadsAsTheNewDisc();
    void refusedEjectIsSaidAndThePlayerGoesOn();
};

static const qint64 kSectorsPerTrack = 150;

static QString threeTrackDisc() { return writeDisc(QStringLiteral("drive3"), tracksOfSeconds({2, 2, 2})); }

// The coded runs one after another, silence left out.
static std::vector<CapturedRun> soundRuns(const QByteArray &pcm)
{
    std::vector<CapturedRun> runs;
    for (const CapturedRun &run : capturedRuns(pcm)) {
        if (run.silence)
            continue;
        if (!runs.empty() && runs.back().last() + 1 == run.first)
            runs.back().count += run.count;
        else
            runs.push_back(run);
    }
    return runs;
}

static CapturedRun codedRun(qint64 firstSector, qint64 sectors)
{
    CapturedRun run;
    run.first = firstSector * kFramesPerSector;
    run.count = sectors * kFramesPerSector;
    return run;
}

static void compareRuns(const std::vector<CapturedRun> &actual, const std::vector<CapturedRun> &expected)
{
    QCOMPARE(describeRuns(actual), describeRuns(expected));
}

static QString describeSpeeds(const std::vector<int> &speeds)
{
    QStringList named;
    for (const int speed : speeds)
        named << QString::number(speed);
    return named.join(QLatin1Char(' '));
}

// Waits for the disc thread, never for a set time: gives up only when
// something is plainly stuck.
template <typename Done>
static bool waitUntil(Done done)
{
    QDeadlineTimer stuck(20000);
    while (!done()) {
        if (stuck.hasExpired())
            return false;
        QThread::yieldCurrentThread();
    }
    return true;
}

// Status updates go on, one a step, and the play stays a play while the
// drive holds on to a read or a spin-up.
static void expectAnsweredWhileHeld(DiscRig &rig, QSignalSpy &updates, int steps)
{
    updates.clear();
    for (int step = 0; step < steps; ++step)
        rig.clock.advance(200);
    QCOMPARE(updates.count(), steps);
    QCOMPARE(rig.device->mode(), qint32(CdAudioControl::ModePlaying));
}

void DrivePathTest::paranoiaPlaysTheDiscBitExactAndGapless_data()
{
    QTest::addColumn<bool>("paranoiaRefused");
    QTest::newRow("paranoia") << false;
    QTest::newRow("plain reads where paranoia cannot be set up") << true;
}

void DrivePathTest::paranoiaPlaysTheDiscBitExactAndGapless()
{
    ImageDrive drive(threeTrackDisc());
    QFETCH(bool, paranoiaRefused);
    if (paranoiaRefused)
        drive.refuseParanoia();
    DiscRig rig(drive.path(), 0, &drive);
    rig.openAndPlay();
    QCOMPARE(rig.device->trackCount(), 3);
    rig.runUntilStopped(10000);
    compareRuns(capturedRuns(rig.capture.data()), {codedRun(0, 3 * kSectorsPerTrack)});

    // Seeks land on their frame, backwards as well as forwards.
    for (const int second : {1, 0}) {
        rig.capture.clear();
        rig.device->setFrom(tmsf(2, 0, second));
        rig.device->command(QStringLiteral("play"));
        rig.runUntilStopped(10000);
        const qint64 from = kSectorsPerTrack + second * 75;
        compareRuns(capturedRuns(rig.capture.data()), {codedRun(from, 3 * kSectorsPerTrack - from)});
    }
}

// The sound of an enhanced CD ends where its data track's pregap begins;
// where the drive does not say, 150 sectors before the data track, or, on a
// disc in two sessions, before the lead-out, lead-in and pregap between them.
void DrivePathTest::dataTrackIsNeverPlayed_data()
{
    QTest::addColumn<double>("secondTrackSeconds");
    QTest::addColumn<int>("pregap");
    QTest::addColumn<bool>("secondSession");
    QTest::addColumn<qint64>("soundSectors");
    QTest::newRow("pregap in the table") << 2.0 << 150 << false << kSectorsPerTrack;
    QTest::newRow("pregap not reported") << 4.0 << 0 << false << kSectorsPerTrack;
    QTest::newRow("second session") << 153.0 << 0 << true << qint64(153 * 75 - 11400);
}

void DrivePathTest::dataTrackIsNeverPlayed()
{
    QFETCH(double, secondTrackSeconds);
    QFETCH(int, pregap);
    QFETCH(qint64, soundSectors);
    TestDiscLayout layout = tracksOfSeconds({2, secondTrackSeconds});
    layout.sparse = true;
    layout.tracks.push_back(TestTrack{kSectorsPerTrack, true, pregap});
    ImageDrive drive(writeDisc(QStringLiteral("drive-data"), layout));
    QFETCH(bool, secondSession);
    if (secondSession)
        drive.setLastSession(lsn_t(kSectorsPerTrack + layout.tracks[1].sectors));
    DiscRig rig(drive.path(), 0, &drive);
    rig.open();
    rig.clock.advance(200);
    QCOMPARE(rig.device->trackCount(), 3);
    rig.playTrack(2);
    rig.runUntilStopped(10000);
    compareRuns(capturedRuns(rig.capture.data()), {codedRun(kSectorsPerTrack, soundSectors)});
}

// A sector that never reads is heard as the straight line from the frame
// before it to the frame after it; everything else is the disc's own.
void DrivePathTest::badSectorsAreBridgedOver()
{
    ImageDrive drive(threeTrackDisc());
    drive.failSector(100, 3);  // recovers within the retries
    drive.failSector(200);     // never does
    StderrCapture errors;
    DiscRig rig(drive.path(), 0, &drive);
    rig.openAndPlay();
    rig.runUntilStopped(10000);

    const QByteArray pcm = rig.capture.data();
    const qsizetype sectorBytes = kFramesPerSector * 4;
    compareRuns(capturedRuns(pcm.left(200 * sectorBytes)), {codedRun(0, 200)});
    compareRuns(capturedRuns(pcm.mid(201 * sectorBytes)), {codedRun(201, 3 * kSectorsPerTrack - 201)});
    const auto sample = [&](qint64 frame, int channel) {
        return qFromLittleEndian<qint16>(pcm.constData() + frame * 4 + channel * 2);
    };
    const qint64 before = 200 * kFramesPerSector - 1;
    const qint64 after = 201 * kFramesPerSector;
    for (int channel = 0; channel < 2; ++channel) {
        for (qint64 frame = before + 1; frame < after; ++frame) {
            const double line = sample(before, channel)
                + double(sample(after, channel) - sample(before, channel)) * double(frame - before) / double(after - before);
            QVERIFY2(std::abs(sample(frame, channel) - line) <= 1.0, qPrintable(QString::number(frame)));
        }
    }
    QCOMPARE(errors.text().count("sectors that cannot be read are bridged over"), 1);
}

// A play fills the read-ahead briskly, then holds it at a quiet speed; an
// eject, a close, another disc or the end of the player gives the drive
// its own speed back. A drive that takes no speed plays on, said once.
void DrivePathTest::speedIsSetAndGivenBack_data()
{
    QTest::addColumn<QString>("ending");
    QTest::addColumn<bool>("refused");
    for (const char *ending : {"eject", "close", "another disc", "exit"})
        QTest::newRow(ending) << QString::fromLatin1(ending) << false;
    QTest::newRow("refused") << QStringLiteral("exit") << true;
}

void DrivePathTest::speedIsSetAndGivenBack()
{
    QFETCH(QString, ending);
    QFETCH(bool, refused);
    ImageDrive drive(threeTrackDisc());
    if (refused)
        drive.refuseSpeed();
    StderrCapture errors;
    auto rig = std::make_unique<DiscRig>(drive.path(), 0, &drive, true);
    rig->open();
    QVERIFY(waitUntil([&] { return rig->device->trackCount() == 3; }));
    rig->device->command(QStringLiteral("play"));
    rig->clock.advance(200);
    const std::vector<int> playing = refused ? std::vector<int>{8} : std::vector<int>{8, 4};
    QVERIFY2(waitUntil([&] { return drive.speeds() == playing; }), qPrintable(describeSpeeds(drive.speeds())));

    // Paused, the read-ahead stays full: no speed changes but the last.
    rig->device->command(QStringLiteral("pause"));
    if (ending == QLatin1String("another disc")) {
        drive.insert(threeTrackDisc());
        rig->clock.advance(600);
    } else if (ending == QLatin1String("exit")) {
        rig.reset();
    } else {
        rig->device->command(ending);
    }
    std::vector<int> given = playing;
    if (!refused)
        given.push_back(ReadPace::kDriveDefault);
    QVERIFY(waitUntil([&] { return drive.speeds() == given; }));
    rig.reset();
    QCOMPARE(drive.speeds(), given);
    QCOMPARE(errors.text().count("the drive does not take a read speed"), refused ? 1 : 0);
}

// In the stand-in drive's model, a disc plays through at 4x after the first
// fill; where reads slow down the speed steps up in time.
void DrivePathTest::modelPlaysQuietlyWithoutUnderrun_data()
{
    QTest::addColumn<double>("slowdown");
    QTest::addColumn<int>("highestSpeed");
    QTest::newRow("sound disc") << 1.0 << 4;
    // Fallen behind, it catches up for a moment at the drive's own (the
    // model's top) speed rather than let the sound stall.
    QTest::newRow("reads slow down") << 1.5 << DriveModel().topSpeed;
}

void DrivePathTest::modelPlaysQuietlyWithoutUnderrun()
{
    TestDiscLayout album = tracksOfSeconds({60, 60, 60});
    album.sparse = true;
    ImageDrive drive(writeDisc(QStringLiteral("drive-album"), album));
    DriveModel model;
    QFETCH(double, slowdown);
    QFETCH(int, highestSpeed);
    model.slowdown = slowdown;
    model.selfStopAfterUs = 2000000;
    drive.setModel(model);
    ProblemReport report;
    auto source = DiscSource::open(drive.path(), &report, &drive);
    const ModelPlay play = playInModel(*source, drive, 0, source->toc().lastAudio()->endLsn, true);
    QVERIFY(!play.underrun);
    QCOMPARE(play.highestSteadySpeed, highestSpeed);
    QCOMPARE(drive.spinUps(), 0);
}

// A minute paused stops the motor; play starts it on the disc thread while
// the window goes on being answered and shows where the play stands.
void DrivePathTest::idleDriveRestsAndPlayWakesIt()
{
    ImageDrive drive(threeTrackDisc());
    DiscRig rig(drive.path(), 0, &drive, true);
    QSignalSpy updates(rig.device.get(), &CdAudioControl::statusUpdate);
    rig.open();
    QVERIFY(waitUntil([&] { return rig.device->trackCount() == 3; }));
    rig.device->command(QStringLiteral("play"));
    QVERIFY(waitUntil([&] {
        rig.clock.advance(200);
        return rig.positionMs() >= 1000;
    }));
    rig.device->command(QStringLiteral("pause"));
    const qint64 paused = rig.positionMs();
    for (int step = 0; step < 290; ++step)
        rig.clock.advance(200);
    QVERIFY(drive.motorCommands().empty());
    rig.clock.advance(3000);
    QVERIFY(waitUntil([&] { return drive.motorCommands() == std::vector<bool>{false}; }));

    drive.holdSpinUp();
    rig.device->command(QStringLiteral("play"));
    drive.waitUntilHeld();
    expectAnsweredWhileHeld(rig, updates, 10);
    QVERIFY(rig.positionMs() >= paused);
    drive.release();
    QVERIFY(waitUntil([&] {
        rig.clock.advance(200);
        return rig.device->mode() != CdAudioControl::ModePlaying;
    }));
    QCOMPARE(drive.motorCommands(), (std::vector<bool>{false, true}));
    compareRuns(soundRuns(rig.capture.data()), {codedRun(0, 3 * kSectorsPerTrack)});
}

void DrivePathTest::slowReadHoldsUpNeitherUpdatesNorCommands()
{
    ImageDrive drive(threeTrackDisc());
    drive.holdAt(100);
    DiscRig rig(drive.path(), 0, &drive, true);
    QSignalSpy updates(rig.device.get(), &CdAudioControl::statusUpdate);
    rig.open();
    QVERIFY(waitUntil([&] { return rig.device->trackCount() == 3; }));
    rig.device->command(QStringLiteral("play"));
    rig.clock.advance(200);
    drive.waitUntilHeld();

    // Five seconds of a drive that does not answer.
    expectAnsweredWhileHeld(rig, updates, 25);
    QVERIFY(rig.positionMs() <= 100 * 1000 / 75);
    rig.device->command(QStringLiteral("pause"));
    QCOMPARE(rig.device->mode(), qint32(CdAudioControl::ModePaused));
    rig.device->command(QStringLiteral("play"));
    QCOMPARE(rig.device->mode(), qint32(CdAudioControl::ModePlaying));

    // Let go, the sound goes on from where it stood, nothing skipped.
    drive.release();
    QVERIFY(waitUntil([&] {
        rig.clock.advance(200);
        return rig.device->mode() != CdAudioControl::ModePlaying;
    }));
    compareRuns(soundRuns(rig.capture.data()), {codedRun(0, 3 * kSectorsPerTrack)});
}

void DrivePathTest::emptyDriveAndDefaultDrive()
{
    const QString disc = threeTrackDisc();
    ImageDrive drive(disc);
    StderrCapture errors;
    {
        DiscRig rig(QString(), 0, &drive);
        rig.open();
        rig.clock.advance(200);
        QCOMPARE(rig.device->position(), 0);
        QVERIFY(errors.text().contains("no CD drive found"));
    }
    drive.insert(scratchDir() + QStringLiteral("/no-such.cue"));
    {
        DiscRig rig(drive.path(), 0, &drive);
        rig.open();
        rig.clock.advance(200);
        QCOMPARE(rig.device->position(), 0);
        QVERIFY(errors.text().contains("not a CD drive or a disc image that can be read"));
    }
    drive.setDefault(drive.path());
    drive.insert(disc);
    drive.takeOut();
    DiscRig rig(QString(), 0, &drive);
    rig.open();
    rig.clock.advance(200);
    QCOMPARE(rig.device->position(), 0);
    QCOMPARE(rig.device->trackCount(), 0);
    QVERIFY(errors.text().contains("no disc in the drive"));

    drive.insert(disc);
    rig.open();
    rig.clock.advance(200);
    QCOMPARE(rig.device->trackCount(), 3);
    QCOMPARE(rig.device->position(), tmsf(1));
}

void DrivePathTest::mediaChangeMidPlayReadsAsTheNewDisc()
{
    ImageDrive drive(threeTrackDisc());
    DiscRig rig(drive.path(), 0, &drive);
    rig.openAndPlay();
    rig.clock.advance(400);
    drive.insert(writeDisc(QStringLiteral("drive5"), tracksOfSeconds({1, 1, 1, 1, 1})));

    // The drive is asked every half second; the player's open timer then
    // opens the new disc half a second later.
    rig.clock.advance(500);
    QCOMPARE(rig.device->position() & 0xff, 0);
    rig.open();
    rig.clock.advance(200);
    QCOMPARE(rig.device->trackCount(), 5);
    QCOMPARE(rig.device->mode(), qint32(CdAudioControl::ModeStopped));
}

void DrivePathTest::refusedEjectIsSaidAndThePlayerGoesOn()
{
    ImageDrive drive(threeTrackDisc());
    drive.refuseEject();
    StderrCapture errors;
    DiscRig rig(drive.path(), 0, &drive);
    rig.openAndPlay();
    rig.device->command(QStringLiteral("stop"));
    rig.device->command(QStringLiteral("eject"));
    QCOMPARE(drive.ejects(), 1);
    QVERIFY(errors.text().contains("the tray could not be opened"));

    // The disc is still there: the next open finds it and it plays.
    rig.capture.clear();
    rig.open();
    rig.clock.advance(200);
    rig.playTrack(3);
    rig.runUntilStopped(10000);
    compareRuns(capturedRuns(rig.capture.data()), {codedRun(2 * kSectorsPerTrack, kSectorsPerTrack)});
}

QTEST_GUILESS_MAIN(DrivePathTest)
#include "tst_drive_path.moc"
