// Discs and images that are missing, damaged or replaced: the control
// reports track 0 or plays what it can, says once what is wrong, and never
// stops working.
#include "capture_runs.h"
#include "disc_rig.h"
#include "stderr_capture.h"

#include <QFile>

#include <cdio/cdio.h>

class BadDiscTest : public QObject {
    Q_OBJECT

private slots:
    void nothingToPlayReadsAsTrackZero_data();
    void nothingToPlayReadsAsTrackZero();
    void binShorterThanItsCuePlaysWhatThereIs();
    void cueNamingAnotherBinPlaysThatBin();
    void unreadableSectorsPlayAsSilence();
    void ejectReleasesTheImageAndOpenReadsItAnew();
    void removedImageIsNoticedAndReturns();
};

static void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

void BadDiscTest::nothingToPlayReadsAsTrackZero_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("message");
    const QString dir = scratchDir();
    writeFile(dir + "/junk.cue", "this is not a cue sheet\n");
    writeFile(dir + "/junk.bin", QByteArray(5000, 'x'));
    writeFile(dir + "/notes.txt", "hello\n");
    writeFile(dir + "/lonely.cue", "FILE \"gone.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    QTest::newRow("nonexistent path") << dir + "/nowhere.cue" << "no such drive or disc image";
    QTest::newRow("not a cue sheet") << dir + "/junk.cue" << "junk.cue";
    QTest::newRow("not an image") << dir + "/notes.txt" << "notes.txt";
    QTest::newRow("data file missing") << dir + "/lonely.cue" << "gone.bin";
    QTest::newRow("a folder") << dir << "";
    // The system's default drive, on a machine that has none.
    if (char *drive = cdio_get_default_device(nullptr))
        free(drive);
    else
        QTest::newRow("no drive") << QString() << "no CD drive found";
}

void BadDiscTest::nothingToPlayReadsAsTrackZero()
{
    QFETCH(QString, device);
    QFETCH(QString, message);
    StderrCapture err;
    DiscRig rig(device);
    for (int i = 0; i < 4; ++i) {  // the player reopens every half second
        rig.open();
        rig.clock.advance(500);
    }
    QCOMPARE(rig.MMC->Position(), 0);
    QCOMPARE(rig.MMC->Tracks(), 0);
    QCOMPARE(rig.MMC->Mode(), qint32(CdAudioControl::ModeNotReady));
    rig.MMC->Command("play");
    rig.MMC->Command("next");
    rig.MMC->Command("eject");
    rig.clock.advance(500);
    QCOMPARE(rig.capture.frames(), qint64(0));

    const QByteArray said = err.text();
    QCOMPARE(said.count('\n'), 1);  // once, not at every open
    QVERIFY2(said.contains(message.toUtf8()), said.constData());
}

void BadDiscTest::binShorterThanItsCuePlaysWhatThereIs()
{
    TestDiscLayout layout = tracksOfSeconds({2, 2, 2});
    layout.truncateBinBytes = (150 + 75) * 2352;  // half of track 2, no track 3
    StderrCapture err;
    DiscRig rig(writeDisc("short", layout));
    rig.open();
    rig.clock.advance(200);
    QCOMPARE(rig.MMC->Tracks(), 3);
    rig.MMC->Command("play");
    rig.runUntilStopped(10000);
    QCOMPARE(rig.MMC->Mode(), qint32(CdAudioControl::ModeStopped));
    const auto runs = capturedRuns(rig.capture.data());
    QVERIFY2(runs.size() == 1 && runs[0].first == 0 && runs[0].count == 225 * kFrames,
             qPrintable(describeRuns(runs)));
    rig.playTrack(3);  // nothing left of it
    QCOMPARE(rig.MMC->Mode(), qint32(CdAudioControl::ModeStopped));
    QVERIFY(err.text().contains("shorter"));
}

void BadDiscTest::cueNamingAnotherBinPlaysThatBin()
{
    TestDiscLayout layout = tracksOfSeconds({1, 1});
    layout.binName = "Some Other Name.bin";
    DiscRig rig(writeDisc("renamed", layout));
    rig.open();
    rig.clock.advance(200);
    QCOMPARE(rig.MMC->Tracks(), 2);
    rig.MMC->Command("play");
    rig.runUntilStopped(5000);
    const auto runs = capturedRuns(rig.capture.data());
    QVERIFY2(runs.size() == 1 && runs[0].first == 0 && runs[0].count == 150 * kFrames,
             qPrintable(describeRuns(runs)));
}

void BadDiscTest::unreadableSectorsPlayAsSilence()
{
    // A toc file gives its lengths itself, so a cut data file leaves
    // sectors that the table promises but nobody can read.
    TestDiscLayout layout = tracksOfSeconds({2, 2});
    layout.writeToc = true;
    layout.truncateBinBytes = 200 * 2352;
    TestDiscFiles files;
    writeDisc("unreadable", layout, &files);
    StderrCapture err;
    DiscRig rig(QString::fromStdString(files.toc));
    rig.openAndPlay();
    rig.runUntilStopped(10000);
    QCOMPARE(rig.MMC->Mode(), qint32(CdAudioControl::ModeStopped));
    const auto runs = capturedRuns(rig.capture.data());
    QVERIFY2(runs.size() == 2 && runs[0].count == 200 * kFrames && runs[1].silence
                 && runs[1].count == 100 * kFrames,
             qPrintable(describeRuns(runs)));
    QCOMPARE(err.text().count("silence"), 1);
}

void BadDiscTest::ejectReleasesTheImageAndOpenReadsItAnew()
{
    const QString cue = writeDisc("swap", tracksOfSeconds({3, 3}));
    DiscRig rig(cue);
    rig.openAndPlay();
    rig.clock.advance(1000);
    rig.MMC->Command("stop");
    rig.MMC->Command("eject");
    QCOMPARE(rig.MMC->Mode(), qint32(CdAudioControl::ModeOpen));
    QCOMPARE(rig.MMC->Position(), 0);
    QCOMPARE(rig.MMC->Tracks(), 0);

    writeDisc("swap", tracksOfSeconds({1, 1, 1, 1, 1}));  // another disc in its place
    rig.open();
    rig.clock.advance(200);
    QCOMPARE(rig.MMC->Tracks(), 5);
    QCOMPARE(rig.MMC->Position(), tmsf(1));
    rig.MMC->Command("play");
    rig.clock.advance(1200);
    QCOMPARE(rig.MMC->Position(), tmsf(2, 0, 0, 15));
}

void BadDiscTest::removedImageIsNoticedAndReturns()
{
    TestDiscFiles files;
    writeDisc("vanish", tracksOfSeconds({4}), &files);
    DiscRig rig(QString::fromStdString(files.cue));
    rig.openAndPlay();
    rig.clock.advance(400);
    QVERIFY(QFile::remove(QString::fromStdString(files.bin)));
    rig.clock.advance(500);
    QCOMPARE(rig.MMC->Position(), 0);
    QCOMPARE(rig.MMC->Mode(), qint32(CdAudioControl::ModeNotReady));

    writeDisc("vanish", tracksOfSeconds({4, 4}));
    rig.open();
    rig.clock.advance(200);
    QCOMPARE(rig.MMC->Tracks(), 2);
}

QTEST_GUILESS_MAIN(BadDiscTest)
#include "tst_bad_discs.moc"
