// SPDX-License-Identifier: GPL-3.0-or-later
// The path a real CD drive takes (paranoia reads, the tray, the media-change
// flag, the default drive), run on disc images standing in for drives,
// with a drive's troubles made to order.
#include "capture_runs.h"
#include "disc_rig.h"
#include "image_drive.h"
#include "stderr_capture.h"

#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QThread>

class DrivePathTest : public QObject {
    Q_OBJECT

private slots:
    void paranoiaPlaysTheDiscBitExactAndGapless();
    void dataTrackIsNeverPlayed();
    void badSectorsCostOnlyThemselves();
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

void DrivePathTest::paranoiaPlaysTheDiscBitExactAndGapless()
{
    ImageDrive drive(threeTrackDisc());
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

// The sound of an enhanced CD ends where its data track's pregap begins.
void DrivePathTest::dataTrackIsNeverPlayed()
{
    TestDiscLayout layout = tracksOfSeconds({2, 2});
    layout.tracks.push_back(TestTrack{kSectorsPerTrack, true, 150});
    ImageDrive drive(writeDisc(QStringLiteral("drive-data"), layout));
    DiscRig rig(drive.path(), 0, &drive);
    rig.open();
    rig.clock.advance(200);
    QCOMPARE(rig.device->trackCount(), 3);
    rig.playTrack(2);
    rig.runUntilStopped(10000);
    compareRuns(capturedRuns(rig.capture.data()), {codedRun(kSectorsPerTrack, kSectorsPerTrack)});
}

void DrivePathTest::badSectorsCostOnlyThemselves()
{
    ImageDrive drive(threeTrackDisc());
    drive.failSector(100, 3);  // recovers within the retries
    drive.failSector(200);     // never does
    StderrCapture errors;
    DiscRig rig(drive.path(), 0, &drive);
    rig.openAndPlay();
    rig.runUntilStopped(10000);

    CapturedRun silence;
    silence.silence = true;
    silence.count = kFramesPerSector;
    compareRuns(capturedRuns(rig.capture.data()),
                {codedRun(0, 200), silence, codedRun(201, 3 * kSectorsPerTrack - 201)});
    QCOMPARE(errors.text().count("sectors that cannot be read are played as silence"), 1);
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
    updates.clear();
    for (int step = 0; step < 25; ++step)
        rig.clock.advance(200);
    QCOMPARE(updates.count(), 25);
    QCOMPARE(rig.device->mode(), qint32(CdAudioControl::ModePlaying));
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
