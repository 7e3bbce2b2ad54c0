// SPDX-License-Identifier: GPL-3.0-or-later
#include "coded_signal.h"
#include "needed_tools.h"
#include "test_disc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "cue_sheet.h"
#include "image_files.h"
#include "sheet_reader.h"
#include "toc_sheet.h"

#include <cmath>
#include <memory>

namespace {

// The images as the player reads them.
class Image {
public:
    explicit Image(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return;
        const DataFileLookup lookup = dataFileLookup(path);
        SheetResult sheet = path.endsWith(".toc") ? readTocFile(file.readAll(), lookup)
                                                  : readCueSheet(file.readAll(), lookup);
        if (sheet.ok())
            m_reader = std::make_unique<SheetReader>(std::move(sheet.image));
    }
    explicit operator bool() const { return m_reader != nullptr; }
    int tracks() const { return int(sheet().size()); }
    qint64 leadout() const { return sheet().back().regionEnd(); }
    const SheetTrack &track(int number) const { return sheet()[size_t(number - 1)]; }
    // INDEX 00, or -1 when the track has no pregap.
    qint64 pregap(int number) const
    {
        return track(number).pregapSectors ? track(number).regionStart : -1;
    }
    QByteArray sector(qint64 lsn) const
    {
        QByteArray bytes(kTestSectorBytes, '\0');
        if (!m_reader->readSector(lsn, bytes.data()))
            return {};
        return bytes;
    }

private:
    const std::vector<SheetTrack> &sheet() const { return m_reader->image().tracks; }
    std::unique_ptr<SheetReader> m_reader;
};

int16_t sampleAt(const QByteArray &bytes, qint64 index)
{
    const auto *p = reinterpret_cast<const uint8_t *>(bytes.constData()) + index * 2;
    return static_cast<int16_t>(p[0] | (p[1] << 8));
}

// True when every frame of the sector decodes as the coded frame it should be.
bool holdsCodedSector(const QByteArray &sector, uint32_t lsn)
{
    if (sector.size() != kTestSectorBytes)
        return false;
    for (int f = 0; f < kCodedFramesPerSector; ++f) {
        uint32_t gotLsn;
        int gotFrame;
        if (!decodeCodedFrame(sampleAt(sector, 2 * f), sampleAt(sector, 2 * f + 1), gotLsn, gotFrame)
            || gotLsn != lsn || gotFrame != f)
            return false;
    }
    return true;
}

bool anyFrameDecodes(const QByteArray &sector)
{
    for (int f = 0; f < kCodedFramesPerSector; ++f) {
        uint32_t lsn;
        int frame;
        if (decodeCodedFrame(sampleAt(sector, 2 * f), sampleAt(sector, 2 * f + 1), lsn, frame))
            return true;
    }
    return false;
}

bool isSilent(const QByteArray &sector)
{
    return sector.size() == kTestSectorBytes && sector.count('\0') == kTestSectorBytes;
}

struct ExpectedTrack {
    qint64 start;
    qint64 pregap;  // -1 when the track has no INDEX 00
    bool data;
};

}  // namespace

Q_DECLARE_METATYPE(TestDiscLayout)
Q_DECLARE_METATYPE(std::vector<ExpectedTrack>)

class TestDiscTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void codedFramesRoundTrip();
    void codedSignalRejectsWhatIsNotCoded();
    void codedSectorBytesAreLittleEndian();

    void imagesReadAsLaidOut_data();
    void imagesReadAsLaidOut();
    void binNameIsWhatTheCueAndTocName();
    void sparseFullLengthDisc();
    void truncatedBin();
    void tonesArePoliteAndRepeatable();
    void rejectsImpossibleDiscs();
    void commandLine();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestDiscTest::initTestCase()
{
    const QString root = qEnvironmentVariable("VELOR_TEST_TMP", QDir::tempPath());
    QDir().mkpath(root);
    m_dir = std::make_unique<QTemporaryDir>(root + "/tst_test_disc-XXXXXX");
    QVERIFY(m_dir->isValid());
}

void TestDiscTest::codedFramesRoundTrip()
{
    const uint32_t lsns[] = {0, 1, 0xFFFF, 0x10000, 0x1ABCD, 333000, kCodedMaxLsn};
    for (uint32_t lsn : lsns) {
        for (int frame : {0, 1, 300, kCodedFramesPerSector - 1}) {
            int16_t l, r;
            encodeCodedFrame(lsn, frame, l, r);
            QVERIFY2(l != 0 || r != 0, "a coded frame must never look like silence");
            uint32_t gotLsn = ~0u;
            int gotFrame = -1;
            QVERIFY(decodeCodedFrame(l, r, gotLsn, gotFrame));
            QCOMPARE(gotLsn, lsn);
            QCOMPARE(gotFrame, frame);
        }
    }
    // Frame indices run on without a seam across sector boundaries.
    QCOMPARE(codedFrameIndex(0x1FFFF, kCodedFramesPerSector - 1) + 1, codedFrameIndex(0x20000, 0));
    QCOMPARE(codedFrameIndex(333000, 7), int64_t(333000) * 588 + 7);
}

void TestDiscTest::codedSignalRejectsWhatIsNotCoded()
{
    uint32_t lsn;
    int frame;
    QVERIFY(!decodeCodedFrame(0, 0, lsn, frame));            // digital silence
    QVERIFY(!decodeCodedFrame(0x1234, 0x0123, lsn, frame));  // marker bit clear
    // Frame numbers past the end of a sector, as in a data sector's sync
    // pattern (00 FF FF FF) read as audio.
    QVERIFY(!decodeCodedFrame(int16_t(0xFF00), int16_t(0xFFFF), lsn, frame));
    QVERIFY(!decodeCodedFrame(5, int16_t(0x8000 | 588), lsn, frame));
    // Ordinary music: small negative samples have the top bit set but
    // seldom a valid frame; a low positive right channel never decodes.
    QVERIFY(!decodeCodedFrame(-20, 1000, lsn, frame));
}

void TestDiscTest::codedSectorBytesAreLittleEndian()
{
    uint8_t sector[kTestSectorBytes];
    fillCodedSector(0x12345, sector);
    // left = 0x2345, right = 0x8000 | (1 << 10) | frame
    const uint8_t first[] = {0x45, 0x23, 0x00, 0x84};
    QCOMPARE(QByteArray(reinterpret_cast<char *>(sector), 4),
             QByteArray(reinterpret_cast<const char *>(first), 4));
    const uint8_t last[] = {0x45, 0x23, 0x4B, 0x86};  // frame 587 = 0x24B
    QCOMPARE(QByteArray(reinterpret_cast<char *>(sector) + kTestSectorBytes - 4, 4),
             QByteArray(reinterpret_cast<const char *>(last), 4));
}

void TestDiscTest::imagesReadAsLaidOut_data()
{
    QTest::addColumn<TestDiscLayout>("disc");
    QTest::addColumn<std::vector<ExpectedTrack>>("expected");
    QTest::addColumn<qint64>("leadout");

    const qint64 none = -1;
    {
        TestDiscLayout disc = tracksOfSeconds({10, 5, 2});
        QTest::newRow("audio only") << disc
                                    << std::vector<ExpectedTrack>{{0, none, false},
                                                                  {750, none, false},
                                                                  {1125, none, false}}
                                    << qint64(1275);
    }
    {
        TestDiscLayout disc = tracksOfSeconds({10, 5, 2});
        disc.tracks[1].pregapSectors = 150;
        disc.tracks[2].pregapSectors = 33;
        QTest::newRow("pregaps") << disc
                                 << std::vector<ExpectedTrack>{{0, none, false},
                                                               {900, 750, false},
                                                               {1308, 1275, false}}
                                 << qint64(1458);
    }
    {
        TestDiscLayout disc = tracksOfSeconds({4, 3});
        disc.tracks.insert(disc.tracks.begin(), TestTrack{1500, true});
        disc.tracks[1].pregapSectors = 150;
        QTest::newRow("data first") << disc
                                    << std::vector<ExpectedTrack>{{0, none, true},
                                                                  {1650, 1500, false},
                                                                  {1950, none, false}}
                                    << qint64(2175);
    }
    {
        TestDiscLayout disc = tracksOfSeconds({4, 3});
        disc.tracks.push_back(TestTrack{1500, true});
        QTest::newRow("data last") << disc
                                   << std::vector<ExpectedTrack>{{0, none, false},
                                                                 {300, none, false},
                                                                 {525, none, true}}
                                   << qint64(2025);
    }
    {
        TestDiscLayout disc = tracksOfSeconds({4, 3});
        disc.tracks.push_back(TestTrack{1500, true, 150});
        QTest::newRow("data last after a pregap")
            << disc
            << std::vector<ExpectedTrack>{{0, none, false}, {300, none, false}, {675, 525, true}}
            << qint64(2175);
    }
}

void TestDiscTest::imagesReadAsLaidOut()
{
    QFETCH(TestDiscLayout, disc);
    QFETCH(std::vector<ExpectedTrack>, expected);
    QFETCH(qint64, leadout);

    disc.writeToc = true;
    const QString base = path(QString("layout-%1").arg(QTest::currentDataTag()).replace(' ', '-'));
    TestDiscFiles files;
    std::string error;
    QVERIFY2(writeTestDisc(base.toStdString(), disc, &files, &error), error.c_str());
    QCOMPARE(QFileInfo(QString::fromStdString(files.bin)).size(), leadout * kTestSectorBytes);

    for (const std::string &name : {files.cue, files.toc}) {
        const Image image(QString::fromStdString(name));
        QVERIFY2(image, name.c_str());
        QCOMPARE(image.tracks(), int(expected.size()));
        QCOMPARE(image.leadout(), leadout);
        for (size_t i = 0; i < expected.size(); ++i) {
            const int t = int(i + 1);
            const ExpectedTrack &e = expected[i];
            QCOMPARE(image.track(t).index1(), e.start);
            QCOMPARE(image.track(t).audio, !e.data);
            QCOMPARE(image.pregap(t), e.pregap);

            const qint64 end = i + 1 < expected.size()
                ? (expected[i + 1].pregap >= 0 ? expected[i + 1].pregap : expected[i + 1].start)
                : leadout;
            const qint64 from = e.pregap >= 0 ? e.pregap : e.start;
            for (qint64 lsn : {from, e.start, end - 1}) {
                const QByteArray sector = image.sector(lsn);
                if (e.data) {
                    QVERIFY(isTestDataSector(reinterpret_cast<const uint8_t *>(sector.constData())));
                    QVERIFY2(!anyFrameDecodes(sector), "a data sector must never pass for audio");
                    // Header address is the sector's own, in BCD MSF.
                    const qint64 a = lsn + 150;
                    QCOMPARE(uint8_t(sector[14]), uint8_t(((a % 75) / 10) << 4 | (a % 75) % 10));
                } else {
                    QVERIFY2(holdsCodedSector(sector, uint32_t(lsn)),
                             qPrintable(QString("%1 sector %2").arg(name.c_str()).arg(lsn)));
                }
            }
        }
    }
}

void TestDiscTest::binNameIsWhatTheCueAndTocName()
{
    TestDiscLayout disc = tracksOfSeconds({2, 3});
    disc.binName = "Other Name.bin";
    disc.writeToc = true;
    TestDiscFiles files;
    std::string error;
    QVERIFY2(writeTestDisc(path("named").toStdString(), disc, &files, &error), error.c_str());
    QCOMPARE(QString::fromStdString(files.bin), path("Other Name.bin"));
    QVERIFY(QFile::exists(path("Other Name.bin")));
    QVERIFY(!QFile::exists(path("named.bin")));

    QFile cue(path("named.cue"));
    QVERIFY(cue.open(QIODevice::ReadOnly));
    QCOMPARE(cue.readLine(), QByteArray("FILE \"Other Name.bin\" BINARY\n"));
    QFile toc(path("named.toc"));
    QVERIFY(toc.open(QIODevice::ReadOnly));
    QCOMPARE(toc.readAll().count("FILE \"Other Name.bin\" "), 2);

    // The toc follows the name it is given.
    const Image image(path("named.toc"));
    QVERIFY(image);
    QCOMPARE(image.tracks(), 2);
    QVERIFY(holdsCodedSector(image.sector(374), 374));
}

void TestDiscTest::sparseFullLengthDisc()
{
    // 74 minutes in 99 tracks, most of it holes.
    const int64_t total = 74 * 60 * kTestSectorsPerSecond;
    TestDiscLayout disc;
    disc.sparse = true;
    const int64_t each = total / 99;
    for (int i = 0; i < 99; ++i)
        disc.tracks.push_back(TestTrack{i < 98 ? each : total - 98 * each});
    TestDiscFiles files;
    std::string error;
    QVERIFY2(writeTestDisc(path("long").toStdString(), disc, &files, &error), error.c_str());
    QCOMPARE(QFileInfo(QString::fromStdString(files.bin)).size(), total * kTestSectorBytes);

    const Image image(QString::fromStdString(files.cue));
    QVERIFY(image);
    QCOMPARE(image.tracks(), 99);
    QCOMPARE(image.leadout(), qint64(total));
    QCOMPARE(image.track(50).index1(), qint64(49 * each));
    // Both ends of every track are there, the middle is a hole.
    const qint64 start = 49 * each, end = 50 * each;
    QVERIFY(holdsCodedSector(image.sector(start), start));
    QVERIFY(holdsCodedSector(image.sector(start + 149), start + 149));
    QVERIFY(isSilent(image.sector(start + 150)));
    QVERIFY(isSilent(image.sector(end - 151)));
    QVERIFY(holdsCodedSector(image.sector(end - 150), end - 150));
    QVERIFY(holdsCodedSector(image.sector(total - 1), uint32_t(total - 1)));
}

void TestDiscTest::truncatedBin()
{
    TestDiscLayout disc = tracksOfSeconds({3, 3});
    disc.truncateBinBytes = 200 * kTestSectorBytes + 1000;
    TestDiscFiles files;
    std::string error;
    QVERIFY2(writeTestDisc(path("cut").toStdString(), disc, &files, &error), error.c_str());
    QFile bin(QString::fromStdString(files.bin));
    QCOMPARE(bin.size(), qint64(200 * kTestSectorBytes + 1000));
    QVERIFY(bin.open(QIODevice::ReadOnly));
    bin.seek(199 * kTestSectorBytes);
    QVERIFY(holdsCodedSector(bin.read(kTestSectorBytes), 199));
    // The cue still describes the whole disc.
    QFile cue(QString::fromStdString(files.cue));
    QVERIFY(cue.open(QIODevice::ReadOnly));
    QVERIFY(cue.readAll().contains("INDEX 01 00:03:00"));
}

void TestDiscTest::tonesArePoliteAndRepeatable()
{
    TestDiscLayout disc = tracksOfSeconds({6, 5}, TestSignal::Tones);
    disc.tracks[1].pregapSectors = 75;
    TestDiscFiles files;
    std::string error;
    QVERIFY2(writeTestDisc(path("tones").toStdString(), disc, &files, &error), error.c_str());
    QFile bin(QString::fromStdString(files.bin));
    QVERIFY(bin.open(QIODevice::ReadOnly));
    const QByteArray all = bin.readAll();
    QCOMPARE(all.size(), (450 + 75 + 375) * kTestSectorBytes);

    const qint64 frame = kTestSectorBytes / 4;
    struct Range {
        qint64 first, end;  // in frames
    };
    const Range tracks[] = {{0, 450 * frame}, {525 * frame, 900 * frame}};
    QByteArray starts[2];
    for (int t = 0; t < 2; ++t) {
        const Range &r = tracks[t];
        int peak = 0;
        for (qint64 i = 2 * r.first; i < 2 * r.end; ++i)
            peak = std::max(peak, std::abs(int(sampleAt(all, i))));
        const double dbfs = 20 * std::log10(peak / 32768.0);
        QVERIFY2(dbfs > -14 && dbfs <= -11.9, qPrintable(QString("peak %1 dBFS").arg(dbfs)));
        // Faded in and out, so neither a track change nor a stop clicks.
        for (qint64 i : {2 * r.first, 2 * r.first + 1, 2 * r.end - 2, 2 * r.end - 1})
            QVERIFY(std::abs(sampleAt(all, i)) < 8);
        starts[t] = all.mid(int(r.first + frame * 75) * 4, int(frame) * 4 * 75);
    }
    QVERIFY2(starts[0] != starts[1], "every track has its own tune");
    QVERIFY(isSilent(all.mid(450 * kTestSectorBytes, kTestSectorBytes)));
    QVERIFY(isSilent(all.mid(524 * kTestSectorBytes, kTestSectorBytes)));

    QVERIFY(writeTestDisc(path("tones-again").toStdString(), disc, &files, &error));
    QFile again(QString::fromStdString(files.bin));
    QVERIFY(again.open(QIODevice::ReadOnly));
    QVERIFY2(again.readAll() == all, "tones must not depend on anything but the layout");
}

void TestDiscTest::rejectsImpossibleDiscs()
{
    std::string error;
    QVERIFY(!writeTestDisc(path("empty").toStdString(), TestDiscLayout{}, nullptr, &error));
    QVERIFY(!error.empty());

    TestDiscLayout tooMany;
    tooMany.tracks.assign(100, TestTrack{300});
    error.clear();
    QVERIFY(!writeTestDisc(path("many").toStdString(), tooMany, nullptr, &error));
    QVERIFY(!error.empty());

    error.clear();
    QVERIFY(!writeTestDisc(path("zero").toStdString(), tracksOfSeconds({3, 0}), nullptr, &error));
    QVERIFY(!error.empty());
    QVERIFY(!QFile::exists(path("zero.cue")));
}

void TestDiscTest::commandLine()
{
    const QString tool = qEnvironmentVariable("VELOR_MAKE_TEST_DISC");
    SKIP_UNLESS(!tool.isEmpty(), "VELOR_MAKE_TEST_DISC (CTest sets it)");

    QProcess run;
    run.start(tool, {path("cli"), "--tracks", "2.5,1", "--data", "last", "--pregap", "30",
                     "--toc", "--bin-name", "cli-data.bin"});
    QVERIFY(run.waitForFinished());
    QCOMPARE(run.exitCode(), 0);
    QVERIFY(run.readAllStandardOutput().contains("cli.cue"));

    QFile cue(path("cli.cue"));
    QVERIFY(cue.open(QIODevice::ReadOnly));
    QCOMPARE(cue.readAll(), QByteArray("FILE \"cli-data.bin\" BINARY\n"
                                       "  TRACK 01 AUDIO\n"
                                       "    INDEX 01 00:00:00\n"
                                       "  TRACK 02 AUDIO\n"
                                       "    INDEX 00 00:02:38\n"
                                       "    INDEX 01 00:02:68\n"
                                       "  TRACK 03 MODE1/2352\n"
                                       "    INDEX 00 00:03:68\n"
                                       "    INDEX 01 00:04:23\n"));
    QVERIFY(QFile::exists(path("cli.toc")));
    QCOMPARE(QFileInfo(path("cli-data.bin")).size(), qint64(188 + 30 + 75 + 30 + 1500) * kTestSectorBytes);

    for (const QStringList &args : {QStringList{path("bad"), "--signal", "noise"},
                                    QStringList{path("bad"), "--tracks", "3,,4"},
                                    QStringList{path("bad"), "--data", "middle"},
                                    QStringList{"--toc"}}) {
        QProcess bad;
        bad.start(tool, args);
        QVERIFY(bad.waitForFinished());
        QVERIFY2(bad.exitCode() != 0, qPrintable(args.join(' ')));
        QVERIFY(!bad.readAllStandardError().isEmpty());
    }
    QVERIFY(!QFile::exists(path("bad.cue")));
}

QTEST_GUILESS_MAIN(TestDiscTest)
#include "tst_test_disc.moc"
