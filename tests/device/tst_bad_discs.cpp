// SPDX-License-Identifier: GPL-3.0-or-later
// Discs and images that are missing, damaged or replaced: the control
// reports track 0 or plays what it can, says once what is wrong, and never
// stops working.
#include "capture_runs.h"
#include "disc_rig.h"
#include "file_names.h"
#include "stderr_capture.h"

#include <QFile>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cdio/cdio.h>

class BadDiscTest : public QObject {
    Q_OBJECT

private slots:
    void cleanupTestCase();
    void nothingToPlayReadsAsTrackZero_data();
    void nothingToPlayReadsAsTrackZero();
    void cueNamingAnotherBinPlaysThatBin();
    void cuesAsPeopleHaveThemPlayWhole_data();
    void cuesAsPeopleHaveThemPlayWhole();
    void tocOfSeveralFilesAndSilencePlaysInOrder();
    void namesNotUtf8AndAudioDatafilesPlayWhole_data();
    void namesNotUtf8AndAudioDatafilesPlayWhole();
    void ejectReleasesTheImageAndOpenReadsItAnew();
    void removedImageIsNoticedAndReturns();
};

// Qt lists no name that is not UTF-8, so cannot remove such files with the
// scratch folder: the test removes them itself.
static QStringList &byteNamedFiles()
{
    static QStringList files;
    return files;
}

void BadDiscTest::cleanupTestCase()
{
    for (const QString &path : byteNamedFiles())
        ::unlink(fileNameBytes(path).constData());
}

// Paths are file names as the player carries them (file_names.h): any bytes.
static void writeFile(const QString &path, const QByteArray &content)
{
    if (hasUndecodedBytes(path))
        byteNamedFiles() << path;
    const int fd = ::open(fileNameBytes(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, content.constData(), size_t(content.size())), ssize_t(content.size()));
    ::close(fd);
}

static QString bytePath(const QString &dir, const QByteArray &name)
{
    return dir + '/' + fileNameFromBytes(name);
}

static QByteArray swappedSamples(QByteArray pcm)
{
    for (int i = 0; i + 1 < pcm.size(); i += 2)
        std::swap(pcm[i], pcm[i + 1]);
    return pcm;
}

static const QByteArray kOneTrackCue = "FILE \"%1\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";

// Files that are no disc image, or whose data cannot be used: each refused
// at once, its name and the cause said, never opened when it could block.
static void addRefusedFileRows(const QString &dir)
{
    const QString pipe = dir + "/pipe.bin";
    QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0644) == 0);
    // A player that opened the FIFO anyway would find a writer and wait for
    // data rather than for one: held open for the whole run.
    static const int writer = ::open(QFile::encodeName(pipe).constData(), O_RDWR | O_NONBLOCK);
    QVERIFY(writer >= 0);
    writeFile(dir + "/pipe.cue", QString(kOneTrackCue).arg("pipe.bin").toUtf8());
    const QString socket = dir + "/socket.cue";
    static const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(socket).constData(), sizeof address.sun_path - 1);
    QVERIFY(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
    QDir(dir).mkdir("folder.bin");
    writeFile(dir + "/folder.cue", QString(kOneTrackCue).arg("folder.bin").toUtf8());
    writeFile(dir + "/empty.bin", QByteArray());
    writeFile(dir + "/empty.cue", QString(kOneTrackCue).arg("empty.bin").toUtf8());
    writeFile(dir + "/nothing.cue", QByteArray());
    writeFile(dir + "/line\nbreak.cue", "");
    writeFile(bytePath(dir, "lonely\xe9.cue"), "FILE \"gone\xe9.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
    QVERIFY(::symlink("loop-b.cue", QFile::encodeName(dir + "/loop-a.cue")) == 0
            && ::symlink("loop-a.cue", QFile::encodeName(dir + "/loop-b.cue")) == 0);
    QVERIFY(::symlink("loop.bin", QFile::encodeName(dir + "/loop.bin")) == 0);
    writeFile(dir + "/loop.cue", QString(kOneTrackCue).arg("loop.bin").toUtf8());
    writeFile(dir + "/self.cue", QString(kOneTrackCue).arg("SELF.CUE").toUtf8());
    writeFile(dir + "/self.toc", "CD_DA\nTRACK AUDIO\nDATAFILE \"self.toc\"\n");

    QTest::newRow("FIFO") << pipe << "pipe.bin is a FIFO (named pipe), not a disc image";
    QTest::newRow("FIFO as data file") << dir + "/pipe.cue" << "its data file " + pipe + " is a FIFO";
    QTest::newRow("socket") << socket << "socket.cue is a socket";
    QTest::newRow("character device") << "/dev/null" << "/dev/null is a character device, not a CD drive";
    QTest::newRow("folder as data file") << dir + "/folder.cue" << "folder.bin is a directory";
    QTest::newRow("empty data file") << dir + "/empty.cue" << "empty.bin is empty";
    QTest::newRow("empty cue sheet") << dir + "/nothing.cue" << "nothing.cue is empty";
    QTest::newRow("line end in the name") << dir + "/line\nbreak.cue" << "line\\x0abreak.cue is empty";
    QTest::newRow("names not UTF-8") << bytePath(dir, "lonely\xe9.cue")
                                     << "lonely\\xe9.cue: line 1: its data file " + dir + "/gone\\xe9.bin is missing";
    QTest::newRow("nowhere, not UTF-8") << bytePath(dir, "nowhere\xe9.cue") << "nowhere\\xe9.cue: no such drive";
    QTest::newRow("symbolic link loop") << dir + "/loop-a.cue" << "loop-a.cue is a symbolic link loop";
    QTest::newRow("link loop as data file") << dir + "/loop.cue" << "its data file " + dir + "/loop.bin is a symbolic link loop";
    QTest::newRow("cue naming itself") << dir + "/self.cue" << "self.cue: line 1: its data file " + dir + "/self.cue is the sheet itself";
    QTest::newRow("toc naming itself") << dir + "/self.toc" << "self.toc: line 3: its data file " + dir + "/self.toc is the sheet itself";

    const QString locked = dir + "/locked.bin";
    writeFile(locked, QByteArray(2352 * 75, '\0'));
    writeFile(dir + "/locked.cue", QString(kOneTrackCue).arg("locked.bin").toUtf8());
    QFile::setPermissions(locked, QFileDevice::WriteOwner);
    if (::access(QFile::encodeName(locked).constData(), R_OK) != 0)  // not for root
        QTest::newRow("permission denied") << dir + "/locked.cue" << "locked.bin cannot be read: permission denied";

    // The bin is cut short inside track 2: track 3 is not there at all.
    TestDiscLayout layout = tracksOfSeconds({2, 2, 2});
    layout.truncateBinBytes = (150 + 75) * 2352;
    QTest::newRow("INDEX past the end") << writeDisc("short", layout)
                                        << "short.cue: line 7: INDEX time 00:04:00 is past the end of";
    layout.writeToc = true;
    TestDiscFiles files;
    writeDisc("shorttoc", layout, &files);
    QTest::newRow("toc past the end") << QString::fromStdString(files.toc)
                                      << "shorttoc.toc: line 9: FILE reaches past the end of";
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
    QTest::newRow("a folder") << dir << "is a directory";
    addRefusedFileRows(dir);
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
    QCOMPARE(rig.device->position(), 0);
    QCOMPARE(rig.device->trackCount(), 0);
    QCOMPARE(rig.device->mode(), qint32(CdAudioControl::ModeNotReady));
    rig.device->command("play");
    rig.device->command("next");
    rig.device->command("eject");
    rig.clock.advance(500);
    QCOMPARE(rig.capture.frames(), qint64(0));

    const QByteArray said = err.text();
    QCOMPARE(said.count('\n'), 1);  // once, not at every open
    QVERIFY2(said.contains(message.toUtf8()), said.constData());
    QVERIFY2(!hasUndecodedBytes(fileNameFromBytes(said)), "said in UTF-8, bytes that are not escaped");
}

void BadDiscTest::cueNamingAnotherBinPlaysThatBin()
{
    TestDiscLayout layout = tracksOfSeconds({1, 1});
    layout.binName = "Some Other Name.bin";
    DiscRig rig(writeDisc("renamed", layout));
    rig.open();
    rig.clock.advance(200);
    QCOMPARE(rig.device->trackCount(), 2);
    rig.device->command("play");
    rig.runUntilStopped(5000);
    const auto runs = capturedRuns(rig.capture.data());
    QVERIFY2(runs.size() == 1 && runs[0].first == 0 && runs[0].count == 150 * kFrames,
             qPrintable(describeRuns(runs)));
}

// Sheets written on other systems: a byte-order mark, CR LF line ends, a
// FILE name in other letter case than the file.
void BadDiscTest::cuesAsPeopleHaveThemPlayWhole_data()
{
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::addColumn<QString>("binName");
    QTest::addColumn<bool>("bigEndian");
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF") << QByteArray("\n") << "" << false;
    QTest::newRow("CR LF") << QByteArray() << QByteArray("\r\n") << "" << false;
    QTest::newRow("mark, CR LF, name in capitals")
        << QByteArray("\xEF\xBB\xBF") << QByteArray("\r\n") << "cdda.bin" << false;
    QTest::newRow("big-endian MOTOROLA file") << QByteArray() << QByteArray("\n") << "" << true;
}

void BadDiscTest::cuesAsPeopleHaveThemPlayWhole()
{
    QFETCH(QByteArray, prefix);
    QFETCH(QByteArray, lineEnd);
    QFETCH(QString, binName);
    QFETCH(bool, bigEndian);
    TestDiscLayout layout = tracksOfSeconds({1, 1});
    layout.tracks[1].pregapSectors = 10;
    layout.binName = binName.toStdString();
    TestDiscFiles files;
    const QString cue = writeDisc(QString("people-%1").arg(QTest::currentDataTag()).replace(' ', '-'),
                                  layout, &files);
    QFile file(cue);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray text = file.readAll().replace("\n", lineEnd);
    file.close();
    if (bigEndian) {
        QFile bin(QString::fromStdString(files.bin));
        QVERIFY(bin.open(QIODevice::ReadOnly));
        writeFile(bin.fileName(), swappedSamples(bin.readAll()));
        text.replace("BINARY", "MOTOROLA");
    }
    writeFile(cue, prefix + text.replace(binName.toUtf8(), binName.toUpper().toUtf8()));

    StderrCapture err;
    DiscRig rig(cue);
    rig.openAndPlay();
    QCOMPARE(rig.device->trackCount(), 2);
    rig.runUntilStopped(5000);
    const auto runs = capturedRuns(rig.capture.data());
    QVERIFY2(runs.size() == 1 && runs[0].first == 0 && runs[0].count == 160 * kFrames,
             qPrintable(describeRuns(runs) + err.text()));
}

// The layout that libcdio's toc reader got wrong: a file per track and a
// pregap of silence that no file holds; raw audio in either byte order.
void BadDiscTest::tocOfSeveralFilesAndSilencePlaysInOrder()
{
    TestDiscFiles files;
    writeDisc("split", tracksOfSeconds({1, 1}), &files);
    QFile bin(QString::fromStdString(files.bin));
    QVERIFY(bin.open(QIODevice::ReadOnly));
    const QByteArray all = bin.readAll();
    const QString dir = scratchDir();
    // cdrdao's own byte order in one file, the bin's marked SWAP in the other.
    writeFile(dir + "/split-1.raw", swappedSamples(all.left(75 * 2352)));
    writeFile(dir + "/split-2.raw", all.mid(75 * 2352));
    writeFile(dir + "/split.toc", "CD_DA\nTRACK AUDIO\nFILE \"split-1.raw\" 0\n"
                                  "TRACK AUDIO\nSILENCE 00:00:10\nSTART\nFILE \"split-2.raw\" SWAP 0\n");
    DiscRig rig(dir + "/split.toc");
    rig.openAndPlay();
    QCOMPARE(rig.device->trackCount(), 2);
    rig.runUntilStopped(5000);
    const auto runs = capturedRuns(rig.capture.data());
    QVERIFY2(runs.size() == 3 && runs[0].first == 0 && runs[0].count == 75 * kFrames
                 && runs[1].silence && runs[1].count == 10 * kFrames
                 && runs[2].first == 75 * kFrames && runs[2].count == 75 * kFrames,
             qPrintable(describeRuns(runs)));
}

// Names that are not UTF-8, as the command line, a cue or a toc gives them,
// and cdrdao's DATAFILE in audio tracks (raw big-endian audio, its length
// in bytes or blocks; a WAVE file's header passed over): each plays its
// 2 seconds whole, in order.
void BadDiscTest::namesNotUtf8AndAudioDatafilesPlayWhole_data()
{
    enum Content { Little, Big, BigAfter200, Wave };
    QTest::addColumn<QByteArray>("sheetName");
    QTest::addColumn<QByteArray>("sheet");
    QTest::addColumn<QByteArray>("fileName");
    QTest::addColumn<int>("content");
    const QByteArray cue = "FILE \"%1\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 00:01:00\n";
    QTest::newRow("cue named in Latin-1") << QByteArray("n\xe9.cue") << cue << QByteArray("n.bin") << int(Little);
    QTest::newRow("cue naming a Latin-1 bin") << QByteArray("latin.cue") << cue << QByteArray("b\xe9.bin") << int(Little);
    QTest::newRow("Latin-1 cue, its bin copied as UTF-8")
        << QByteArray("copied.cue") << QByteArray(cue).replace("%1", "caf\xe9.bin") << QByteArray("caf\xc3\xa9.bin")
        << int(Little);
    QTest::newRow("toc naming a Latin-1 file")
        << QByteArray("t\xe9.toc") << QByteArray("CD_DA\nTRACK AUDIO\nFILE \"%1\" 0 00:01:00\nTRACK AUDIO\nFILE \"%1\" 00:01:00\n")
        << QByteArray("r\xe9.raw") << int(Big);
    QTest::newRow("DATAFILE in audio tracks, blocks and #offset")
        << QByteArray("data.toc") << QByteArray("CD_DA\nTRACK AUDIO\nDATAFILE \"%1\" 00:01:00\nTRACK AUDIO\nDATAFILE \"%1\" #176400\n")
        << QByteArray("d\xe9.raw") << int(Big);
    QTest::newRow("DATAFILE as libcdio's cdda.toc, length in bytes")
        << QByteArray("cdda.toc") << QByteArray("CD_DA\n\n// Track 1\nTRACK AUDIO\nCOPY\nDATAFILE \"%1\" #200 352800\n")
        << QByteArray("cdda.bin") << int(BigAfter200);
    QTest::newRow("DATAFILE of a WAVE file")
        << QByteArray("wave.toc") << QByteArray("CD_DA\nTRACK AUDIO\nDATAFILE \"%1\"\n") << QByteArray("w.wav") << int(Wave);
}

void BadDiscTest::namesNotUtf8AndAudioDatafilesPlayWhole()
{
    QFETCH(QByteArray, sheetName);
    QFETCH(QByteArray, sheet);
    QFETCH(QByteArray, fileName);
    QFETCH(int, content);
    TestDiscFiles files;
    writeDisc("names", tracksOfSeconds({1, 1}), &files);
    QFile bin(QString::fromStdString(files.bin));
    QVERIFY(bin.open(QIODevice::ReadOnly));
    const QByteArray pcm = bin.readAll();
    static const char kWaveHead[] = "RIFF....WAVEfmt \x10\0\0\0\x01\0\x02\0\x44\xac\0\0\x10\xb1\x02\0\x04\0\x10\0data....";
    QByteArray wave(kWaveHead, sizeof kWaveHead - 1);  // 16-bit stereo 44.1 kHz PCM
    qToLittleEndian<quint32>(quint32(pcm.size() + 36), wave.data() + 4);
    qToLittleEndian<quint32>(quint32(pcm.size()), wave.data() + 40);
    const QByteArray bytes[] = {pcm, swappedSamples(pcm), QByteArray(200, '\x55') + swappedSamples(pcm), wave + pcm};
    const QString dir = scratchDir() + "/names-" + QTest::currentDataTag();
    QVERIFY(QDir().mkpath(dir));
    writeFile(bytePath(dir, fileName), bytes[content]);
    writeFile(bytePath(dir, sheetName), sheet.replace("%1", fileName));

    StderrCapture err;
    DiscRig rig(bytePath(dir, sheetName));
    rig.openAndPlay();
    QCOMPARE(rig.device->trackCount(), int(sheet.count("TRACK ")));
    rig.runUntilStopped(5000);
    const auto runs = capturedRuns(rig.capture.data());
    QVERIFY2(runs.size() == 1 && runs[0].first == 0 && runs[0].count == 150 * kFrames,
             qPrintable(describeRuns(runs) + err.text()));
}

void BadDiscTest::ejectReleasesTheImageAndOpenReadsItAnew()
{
    const QString cue = writeDisc("swap", tracksOfSeconds({3, 3}));
    DiscRig rig(cue);
    rig.openAndPlay();
    rig.clock.advance(1000);
    rig.device->command("stop");
    rig.device->command("eject");
    QCOMPARE(rig.device->mode(), qint32(CdAudioControl::ModeOpen));
    QCOMPARE(rig.device->position(), 0);
    QCOMPARE(rig.device->trackCount(), 0);

    writeDisc("swap", tracksOfSeconds({1, 1, 1, 1, 1}));  // another disc in its place
    rig.open();
    rig.clock.advance(200);
    QCOMPARE(rig.device->trackCount(), 5);
    QCOMPARE(rig.device->position(), tmsf(1));
    rig.device->command("play");
    rig.clock.advance(1200);
    QCOMPARE(rig.device->position(), tmsf(2, 0, 0, 15));
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
    QCOMPARE(rig.device->position(), 0);
    QCOMPARE(rig.device->mode(), qint32(CdAudioControl::ModeNotReady));

    writeDisc("vanish", tracksOfSeconds({4, 4}));
    rig.open();
    rig.clock.advance(200);
    QCOMPARE(rig.device->trackCount(), 2);
}

QTEST_GUILESS_MAIN(BadDiscTest)
#include "tst_bad_discs.moc"
