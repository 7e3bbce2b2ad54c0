// SPDX-License-Identifier: GPL-3.0-or-later
// Playback through the device control on a manual clock: what reaches the
// output, frame by frame, and what the control reports after each command.
#include "capture_runs.h"
#include "disc_rig.h"

#include <QFile>

class PlaybackTest : public QObject {
    Q_OBJECT

private slots:
    void wholeDiscIsBitExact_data();
    void wholeDiscIsBitExact();
    void positionAndTrackFollowCommands();
    void prevAndNextAtBothEnds();
    void millisecondSeeks();
    void pauseResumesAtTheExactFrame_data();
    void pauseResumesAtTheExactFrame();
    void boundaryUpdateComesBeforeTheNewTrack();
    void playAtBoundaryTakesOverSeamlessly();
    void endOfDiscStopsAndPlayStartsAgain();
    void fromPastTheDiscDoesNothing();
    void muteKeepsTheStreamGoing();
    void deepBufferIsCutAtEachCommand();
};

void PlaybackTest::wholeDiscIsBitExact_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("dataFirst");
    QTest::addColumn<bool>("dataLast");
    QTest::addColumn<bool>("viaToc");
    QTest::newRow("audio only") << "plain" << false << false << false;
    QTest::addRow("data first") << "datafirst" << true << false << false;
    QTest::addRow("cd-extra") << "extra" << false << true << false;
    QTest::addRow("toc file") << "tocdisc" << true << false << true;
}

void PlaybackTest::wholeDiscIsBitExact()
{
    QFETCH(QString, name);
    QFETCH(bool, dataFirst);
    QFETCH(bool, dataLast);
    QFETCH(bool, viaToc);

    TestDiscLayout layout;
    if (dataFirst)
        layout.tracks.push_back({300, true, 0});
    layout.tracks.push_back({377, false, dataFirst ? 150 : 0});
    layout.tracks.push_back({301, false, 75});
    layout.tracks.push_back({450, false, 0});
    if (dataLast)
        layout.tracks.push_back({300, true, 150});
    layout.writeToc = viaToc;
    TestDiscFiles files;
    const QString cue = writeDisc(name, layout, &files);

    // What must be heard: every audio sector from the first audio track's
    // start to the end of the last, pregaps of audio tracks included, data
    // and the data track's pregap left out.
    qint64 lsn = 0, audioStart = -1, audioEnd = 0;
    for (const TestTrack &t : layout.tracks) {
        lsn += t.pregapSectors;
        if (!t.data && audioStart < 0)
            audioStart = lsn;
        if (t.data && audioStart >= 0)
            audioEnd = lsn - t.pregapSectors;
        else if (!t.data)
            audioEnd = lsn + t.sectors;
        lsn += t.sectors;
    }

    DiscRig rig(viaToc ? QString::fromStdString(files.toc) : cue);
    rig.open();
    rig.clock.advance(200);
    QCOMPARE(rig.device->mode(), qint32(CdAudioControl::ModeStopped));
    rig.device->setFrom(dataFirst ? 2 : 1);
    rig.device->command("play");
    rig.runUntilStopped(60000);
    QCOMPARE(rig.device->mode(), qint32(CdAudioControl::ModeStopped));

    QFile bin(QString::fromStdString(files.bin));
    QVERIFY(bin.open(QIODevice::ReadOnly));
    bin.seek(audioStart * 2352);
    const QByteArray expected = bin.read((audioEnd - audioStart) * 2352);
    QCOMPARE(rig.capture.data().size(), expected.size());
    QVERIFY(rig.capture.data() == expected);
}

void PlaybackTest::positionAndTrackFollowCommands()
{
    DiscRig rig(writeDisc("three", tracksOfSeconds({10, 10, 10})));
    QCOMPARE(rig.device->position(), 0);  // nothing opened yet
    rig.open();
    rig.clock.advance(200);
    QCOMPARE(rig.device->trackCount(), 3);
    QCOMPARE(rig.device->position(), tmsf(1));
    QCOMPARE(rig.device->length(), qint32(30 << 8));  // 00:30:00 as minutes, seconds, frames
    rig.device->setTrack(2);
    QCOMPARE(rig.device->trackLength(), qint32(10 << 8));

    rig.device->command("play");
    QCOMPARE(rig.device->mode(), qint32(CdAudioControl::ModePlaying));
    rig.clock.advance(1000);
    QCOMPARE(rig.positionMs(), qint64(1000));
    QCOMPARE(rig.device->position(), tmsf(1, 0, 1, 0));

    // A play with a new start is reported at once, before any sound.
    rig.playTrack(3);
    QCOMPARE(rig.device->position(), tmsf(3));
    QCOMPARE(rig.device->track(), 3);
    rig.clock.advance(2400);
    QCOMPARE(rig.device->position(), tmsf(3, 0, 2, 30));

    rig.device->command("stop");
    QCOMPARE(rig.device->mode(), qint32(CdAudioControl::ModeStopped));
    const qint64 frames = rig.capture.frames();
    rig.clock.advance(1000);
    QCOMPARE(rig.device->position(), tmsf(3, 0, 2, 30));
    QCOMPARE(rig.capture.frames(), frames);
}

void PlaybackTest::prevAndNextAtBothEnds()
{
    DiscRig rig(writeDisc("four", tracksOfSeconds({8, 8, 8, 8})));
    rig.open();
    rig.clock.advance(200);
    rig.playTrack(2);
    rig.clock.advance(4000);

    rig.device->command("prev");  // more than three seconds in: start of this track
    QCOMPARE(rig.device->position(), tmsf(2));
    QCOMPARE(rig.device->mode(), qint32(CdAudioControl::ModePlaying));
    rig.clock.advance(2000);
    rig.device->command("prev");  // again within three seconds: the track before
    QCOMPARE(rig.device->position(), tmsf(1));
    QCOMPARE(rig.device->track(), 1);
    rig.clock.advance(1000);
    rig.device->command("prev");  // the first track stays the first
    QCOMPARE(rig.device->position(), tmsf(1));
    rig.clock.advance(3000);
    QCOMPARE(rig.device->position(), tmsf(1, 0, 3, 0));

    rig.device->command("next");
    rig.device->command("next");
    rig.device->command("next");
    QCOMPARE(rig.device->position(), tmsf(4));
    rig.clock.advance(1000);
    rig.device->command("next");  // at the last track: its start
    QCOMPARE(rig.device->position(), tmsf(4));
    QCOMPARE(rig.device->track(), 4);

    // Moving while stopped keeps the device stopped.
    rig.device->command("stop");
    rig.clock.advance(5000);
    rig.device->command("prev");
    QCOMPARE(rig.device->mode(), qint32(CdAudioControl::ModeStopped));
    QCOMPARE(rig.device->position(), tmsf(4));

    // Every stretch heard was contiguous on the disc.
    for (const CapturedRun &run : capturedRuns(rig.capture.data()))
        QVERIFY(!run.silence);
}

void PlaybackTest::millisecondSeeks()
{
    DiscRig rig(writeDisc("seeks", tracksOfSeconds({10, 10})));
    rig.openAndPlay();
    rig.clock.advance(4000);

    auto seek = [&](qint64 delta) {
        rig.device->setTimeFormat(CdAudioControl::TimeFormatMilliseconds);
        rig.device->setFrom(qint32(rig.device->position() + delta));
        rig.device->command("play");
        rig.device->setTimeFormat(CdAudioControl::TimeFormatTmsf);
    };
    seek(-10000);  // before the start: from the first track's start
    QCOMPARE(rig.positionMs(), qint64(0));
    rig.clock.advance(3000);
    seek(+10000);
    QCOMPARE(rig.positionMs(), qint64(13000));
    QCOMPARE(rig.device->position(), tmsf(2, 0, 3, 0));
    QCOMPARE(rig.device->track(), 2);
    seek(+10000);  // past the end: nothing changes
    QCOMPARE(rig.positionMs(), qint64(13000));
    QCOMPARE(rig.device->mode(), qint32(CdAudioControl::ModePlaying));
    rig.clock.advance(1000);

    // Each seek starts exactly at the frame asked for.
    const auto runs = capturedRuns(rig.capture.data());
    QVERIFY2(runs.size() == 3, qPrintable(describeRuns(runs)));
    QCOMPARE(runs[1].first, qint64(0));
    QCOMPARE(runs[2].first, qint64(13000) * 44100 / 1000);
}

void PlaybackTest::pauseResumesAtTheExactFrame_data()
{
    QTest::addColumn<qint64>("depth");
    QTest::addColumn<qint64>("late");
    QTest::newRow("heard as written") << qint64(0) << qint64(0);
    QTest::newRow("half a second buffered") << qint64(22050) << qint64(0);
    QTest::newRow("server holds 20 ms late") << qint64(22050) << qint64(882);
    QTest::newRow("server holds 500 ms late") << qint64(22050) << qint64(22050);
}

// A server holds some time after it is asked to: the pause stands, and the
// play goes on, where the sound really stopped.
void PlaybackTest::pauseResumesAtTheExactFrame()
{
    QFETCH(qint64, depth);
    QFETCH(qint64, late);
    DiscRig rig(writeDisc("pause", tracksOfSeconds({10})), depth);
    rig.capture.setActLateFrames(late);
    rig.openAndPlay();
    rig.clock.advance(1234);
    rig.device->command("pause");
    QCOMPARE(rig.device->mode(), qint32(CdAudioControl::ModePaused));
    rig.clock.advance(1000);
    const qint64 pausedMs = rig.positionMs();
    rig.clock.advance(4000);
    QCOMPARE(rig.positionMs(), pausedMs);
    rig.device->command("pause");  // pausing again changes nothing
    rig.device->command("play");
    rig.clock.advance(1000);

    // One unbroken run of the disc, however long the pause was.
    const qint64 beforePause = qint64(1234) * 44100 / 1000 + late;
    qint64 next = 0;
    for (const CapturedRun &r : capturedRuns(rig.capture.data())) {
        if (r.silence)
            continue;
        QCOMPARE(r.first, next);
        next = r.first + r.count;
    }
    QCOMPARE(next, beforePause + 44100);
    QCOMPARE(pausedMs, beforePause * 1000 / 44100);
}

void PlaybackTest::boundaryUpdateComesBeforeTheNewTrack()
{
    DiscRig rig(writeDisc("boundary", tracksOfSeconds({3, 3})));
    rig.open();
    QList<QPair<qint64, qint32>> updates;
    QObject::connect(rig.device.get(), &CdAudioControl::statusUpdate, [&] {
        updates.append({rig.clock.nowMs(), rig.device->position()});
    });
    rig.clock.advance(200);
    rig.device->command("play");
    rig.clock.advance(3100);

    // Regular updates at 200 ms steps, then one at the track start itself.
    int boundary = -1;
    for (int i = 0; i < updates.size(); ++i)
        if (updates[i].second == tmsf(2)) {
            boundary = i;
            break;
        }
    QVERIFY(boundary > 0);
    QCOMPARE(updates[boundary - 1].second & 0xFF, 1);
    QCOMPARE(updates[boundary].first, qint64(3200));
    // The next regular update is counted from the boundary.
    QVERIFY(boundary + 1 == updates.size() || updates[boundary + 1].first == 3400);
}

void PlaybackTest::playAtBoundaryTakesOverSeamlessly()
{
    const QString disc = writeDisc("repeat", tracksOfSeconds({2, 2, 2}));
    DiscRig rig(disc);
    rig.open();
    // Track repeat done the way the player does it: at the update that
    // first sees track 2, play track 1 again.
    QObject::connect(rig.device.get(), &CdAudioControl::statusUpdate, [&] {
        if ((rig.device->position() & 0xFF) == 2)
            rig.playTrack(1);
    });
    rig.clock.advance(200);
    rig.device->command("play");
    rig.clock.advance(7000);

    const qint64 trackFrames = 150 * kFrames;
    const auto runs = capturedRuns(rig.capture.data());
    QVERIFY2(runs.size() >= 4, qPrintable(describeRuns(runs)));
    for (size_t i = 0; i + 1 < runs.size(); ++i) {
        QCOMPARE(runs[i].first, qint64(0));
        QCOMPARE(runs[i].count, trackFrames);  // not one frame of track 2
    }
}

void PlaybackTest::endOfDiscStopsAndPlayStartsAgain()
{
    DiscRig rig(writeDisc("end", tracksOfSeconds({2, 2})));
    rig.open();
    QList<qint32> modesAtUpdates;
    QObject::connect(rig.device.get(), &CdAudioControl::statusUpdate,
                     [&] { modesAtUpdates.append(rig.device->mode()); });
    rig.clock.advance(200);
    rig.device->command("play");
    rig.clock.advance(4000);
    QCOMPARE(rig.device->mode(), qint32(CdAudioControl::ModeStopped));
    QCOMPARE(rig.device->position(), tmsf(2, 0, 2, 0));
    QVERIFY(modesAtUpdates.contains(CdAudioControl::ModeStopped));

    rig.device->command("play");
    QCOMPARE(rig.device->position(), tmsf(1));
    rig.clock.advance(1000);
    const auto runs = capturedRuns(rig.capture.data());
    QCOMPARE(int(runs.size()), 2);
    QCOMPARE(runs[1].first, qint64(0));
}

void PlaybackTest::fromPastTheDiscDoesNothing()
{
    TestDiscLayout layout = tracksOfSeconds({3});
    layout.tracks.push_back({225, true, 150});
    DiscRig rig(writeDisc("pastend", layout));
    rig.open();
    rig.clock.advance(200);
    QCOMPARE(rig.device->trackCount(), 2);
    rig.playTrack(2);  // a data track with no audio after it
    QCOMPARE(rig.device->mode(), qint32(CdAudioControl::ModeStopped));
    rig.playTrack(7);  // no such track
    QCOMPARE(rig.device->mode(), qint32(CdAudioControl::ModeStopped));
    rig.clock.advance(1000);
    QCOMPARE(rig.capture.frames(), qint64(0));
}

void PlaybackTest::muteKeepsTheStreamGoing()
{
    DiscRig rig(writeDisc("mute", tracksOfSeconds({5})));
    rig.openAndPlay();
    rig.clock.advance(1000);
    rig.device->setSilent(true);
    rig.clock.advance(1000);
    rig.device->setSilent(false);
    rig.clock.advance(1000);
    const auto runs = capturedRuns(rig.capture.data());
    QCOMPARE(int(runs.size()), 3);
    QVERIFY(runs[1].silence);
    QCOMPARE(runs[2].first, runs[0].count + runs[1].count);
    QCOMPARE(rig.device->position(), tmsf(1, 0, 3, 0));
}

// With half a second buffered in the output, every command is heard at its
// moment: nothing of the old stream after it, and a pause goes on from the
// frame heard last.
void PlaybackTest::deepBufferIsCutAtEachCommand()
{
    const qint64 second = 44100;
    DiscRig rig(writeDisc("deep", tracksOfSeconds({10, 10, 10})), second / 2);
    const qint64 track2 = 750 * kFrames;
    rig.openAndPlay();
    rig.clock.advance(1000);
    QCOMPARE(rig.positionMs(), qint64(1000));
    rig.device->command("next");
    rig.clock.advance(1000);
    rig.device->command("pause");
    QCOMPARE(rig.device->position(), tmsf(2, 0, 1, 0));
    rig.clock.advance(3000);
    rig.device->command("play");
    rig.clock.advance(1000);
    rig.device->setSilent(true);
    rig.clock.advance(1000);
    rig.device->setSilent(false);
    rig.clock.advance(500);
    rig.device->setTimeFormat(CdAudioControl::TimeFormatMilliseconds);
    rig.device->setFrom(25000);
    rig.device->command("play");
    rig.device->setTimeFormat(CdAudioControl::TimeFormatTmsf);
    rig.clock.advance(500);
    QCOMPARE(rig.positionMs(), qint64(25500));
    rig.device->command("stop");
    rig.clock.advance(1000);

    const std::vector<CapturedRun> expected = {
        {false, 0, second},
        {false, track2, 2 * second},
        {true, 0, second},
        {false, track2 + 3 * second, second / 2},
        {false, 25 * second, second / 2},
    };
    QCOMPARE(describeRuns(capturedRuns(rig.capture.data())), describeRuns(expected));
}

QTEST_GUILESS_MAIN(PlaybackTest)
#include "tst_playback.moc"
