// SPDX-License-Identifier: GPL-3.0-or-later
// Cue sheets and toc files as people have them, read without touching the
// disk: the data files are sizes looked up by name. Expected toc layouts are
// what `cdrdao show-toc` prints for the same files (START and END).
#include "cd_text_packs.h"
#include "cue_sheet.h"
#include "file_names.h"
#include "sheet_reader.h"
#include "toc_sheet.h"

#include <QtTest>

namespace {

constexpr qint64 kSecond = 75 * 2352;

DataFileFacts fakeFile(const QString &name)
{
    static const QHash<QString, qint64> sizes = {
        {"disc.bin", 10 * kSecond}, {"cdda.bin", 10 * kSecond}, {"t1.raw", 4 * kSecond},
        {"t2.raw", 5 * kSecond},    {"t3.raw", 6 * kSecond},    {"t4.raw", 7 * kSecond},
        {"t5.raw", 8 * kSecond},    {"odd.raw", 10 * kSecond + 1000}, {"w.wav", 970244},
        {"deep.wav", 970244}, {fileNameFromBytes("n\xe9.bin"), 10 * kSecond},
    };
    DataFileFacts facts;
    facts.path = "/discs/" + name;
    if (!sizes.contains(name)) {
        facts.problem = QString("its data file %1 is missing").arg(facts.path);
        return facts;
    }
    facts.size = sizes[name];
    facts.riff = name.endsWith(".wav");
    if (name == "w.wav") {
        facts.wave = true;
        facts.waveDataOffset = 44;
        facts.waveDataBytes = facts.size - 44;
    }
    return facts;
}

// "index1-regionEnd" of every track, the START and END that cdrdao shows.
QString layout(const SheetResult &r)
{
    if (!r.ok())
        return "refused: " + r.refusal;
    QStringList out;
    for (const SheetTrack &t : r.image.tracks)
        out << QString("%1-%2").arg(t.index1()).arg(t.regionEnd());
    return out.join(' ');
}

const QByteArray kPlainCue = "FILE \"disc.bin\" BINARY\n"
                             "  TRACK 01 AUDIO\n"
                             "    INDEX 01 00:00:00\n"
                             "  TRACK 02 AUDIO\n"
                             "    INDEX 00 00:04:00\n"
                             "    INDEX 01 00:05:00\n";

}  // namespace

class SheetTest : public QObject {
    Q_OBJECT

private slots:
    void cueAsWrittenOnOtherSystems_data();
    void cueAsWrittenOnOtherSystems();
    void refusalsNameTheLineAndCause_data();
    void refusalsNameTheLineAndCause();
    void cueWithSeveralFilesAndGaps();
    void namesKeepTheirBytes_data();
    void namesKeepTheirBytes();
    void namesNotUtf8ReachTheLookupAsBytes();
    void tocLayoutsAsCdrdaoReadsThem_data();
    void tocLayoutsAsCdrdaoReadsThem();
    void tocCdTextGivesTitles();
    void cdTextFileFillsWhatTheSheetLacks_data();
    void cdTextFileFillsWhatTheSheetLacks();
    void sectorsThatCannotBeReadAreSilence();

private:
    void addCueRefusals();
    void addTocRefusals();
};

void SheetTest::cueAsWrittenOnOtherSystems_data()
{
    QTest::addColumn<QByteArray>("text");
    QByteArray crlf = kPlainCue;
    crlf.replace("\n", "\r\n");
    QTest::newRow("plain") << kPlainCue;
    QTest::newRow("byte-order mark") << "\xEF\xBB\xBF" + kPlainCue;
    QTest::newRow("CR LF") << crlf;
    QTest::newRow("mark and CR LF") << "\xEF\xBB\xBF" + crlf;
    QTest::newRow("CR only") << QByteArray(kPlainCue).replace('\n', '\r');
    QTest::newRow("FILE name in Latin-1, not UTF-8")
        << QByteArray(kPlainCue).replace("disc.bin", "n\xe9.bin");
    QTest::newRow("lower case, tabs, unquoted")
        << QByteArray("file disc.bin binary\n\ttrack 1 audio\n\tindex 1 0:0:0\n"
                      "\ttrack 2 audio\n\tindex 0 0:4:0\n\tindex 1 0:5:0\n");
}

void SheetTest::cueAsWrittenOnOtherSystems()
{
    QFETCH(QByteArray, text);
    QCOMPARE(layout(readCueSheet(text, fakeFile)), QString("0-300 375-750"));
}

// Times out of order, files that are not there, toc features that cannot
// be laid out faithfully.
void SheetTest::refusalsNameTheLineAndCause_data()
{
    QTest::addColumn<bool>("toc");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("refusal");
    addCueRefusals();
    addTocRefusals();
}

void SheetTest::refusalsNameTheLineAndCause()
{
    QFETCH(bool, toc);
    QFETCH(QByteArray, text);
    QFETCH(QString, refusal);
    const QString got = layout(toc ? readTocFile(text, fakeFile) : readCueSheet(text, fakeFile));
    QVERIFY2(got == "refused: " + refusal, qPrintable(got));
}

void SheetTest::addCueRefusals()
{
    const QByteArray head = "FILE \"disc.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\n";
    QTest::newRow("backwards") << false << head + "INDEX 01 00:03:00\nTRACK 03 AUDIO\nINDEX 01 00:02:00\n"
                               << "line 7: INDEX time 00:02:00 goes back before 00:03:00";
    QTest::newRow("same time") << false << head + "INDEX 01 00:00:00\n"
                               << "line 5: INDEX time 00:00:00 leaves TRACK 01 no sectors";
    QTest::newRow("past the end") << false << head + "INDEX 01 00:10:00\n"
                                  << "line 5: INDEX time 00:10:00 is past the end of /discs/disc.bin";
    QTest::newRow("index 0 after 1") << false << head + "INDEX 01 00:03:00\nINDEX 00 00:04:00\n"
                                     << "line 6: INDEX 00 out of order";
    QTest::newRow("no index 01") << false << head + "INDEX 00 00:03:00\nTRACK 03 AUDIO\nINDEX 01 00:05:00\n"
                                 << "line 4: TRACK 02 has no INDEX 01";
    QTest::newRow("bad time") << false << head + "INDEX 01 00:61:00\n" << "line 5: INDEX needs a number and a time MM:SS:FF";
    QTest::newRow("track numbers") << false << QByteArray("FILE \"disc.bin\" BINARY\nTRACK 02 AUDIO\nINDEX 01 00:00:00\nTRACK 01 AUDIO\n")
                                   << "line 4: TRACK needs a number from 1 to 99 above the one before";
    QTest::newRow("missing file") << false << QByteArray("FILE \"gone.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n")
                                  << "line 1: its data file /discs/gone.bin is missing";
    QTest::newRow("mp3") << false << QByteArray("FILE \"a.mp3\" MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n")
                         << "line 1: MP3 data files are not supported (a.mp3)";
    QTest::newRow("24-bit WAVE") << false << QByteArray("FILE \"deep.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n")
                                 << "line 1: /discs/deep.wav is not a 16-bit stereo 44.1 kHz WAVE file";
    QTest::newRow("nothing") << false << QByteArray("REM just a remark\n") << "no tracks in this cue sheet";
}

void SheetTest::cueWithSeveralFilesAndGaps()
{
    // INDEX times count from the start of their own file; PREGAP and
    // POSTGAP are silence that no file holds.
    const QByteArray text = "FILE \"t1.raw\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                            " TRACK 02 AUDIO\n  INDEX 00 00:02:00\n  INDEX 01 00:03:00\n"
                            "FILE \"t2.raw\" BINARY\n TRACK 03 AUDIO\n  PREGAP 00:02:00\n  INDEX 01 00:00:00\n"
                            " TRACK 04 AUDIO\n  INDEX 01 00:04:00\n  POSTGAP 00:01:00\n"
                            "FILE \"t3.raw\" BINARY\n TRACK 05 AUDIO\n  INDEX 00 00:00:00\n  INDEX 01 00:01:00\n";
    const SheetResult r = readCueSheet(text, fakeFile);
    QCOMPARE(layout(r), QString("0-150 225-300 450-750 750-900 975-1350"));
    QCOMPARE(r.image.dataFiles, QStringList({"/discs/t1.raw", "/discs/t2.raw", "/discs/t3.raw"}));
}

// A file name is bytes: what is not UTF-8 comes back as it was and is
// shown escaped, on one line.
void SheetTest::namesKeepTheirBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::newRow("ASCII") << QByteArray("a.bin") << "a.bin";
    QTest::newRow("UTF-8") << QByteArray("caf\xc3\xa9 \xf0\x9f\x8e\xb5.bin") << "caf\u00e9 \U0001F3B5.bin";
    QTest::newRow("Latin-1 byte") << QByteArray("name\xe9.cue") << "name\\xe9.cue";
    QTest::newRow("sequence cut short") << QByteArray("\xe2\x82.bin") << "\\xe2\\x82.bin";
    QTest::newRow("overlong") << QByteArray("\xc0\xaf") << "\\xc0\\xaf";
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << "\\xed\\xa0\\x80";
    QTest::newRow("above U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << "\\xf4\\x90\\x80\\x80";
    QTest::newRow("stray continuation after a character")
        << QByteArray("\xf0\x9f\x8e\xb5\xb5\xff") << "\U0001F3B5\\xb5\\xff";
    QTest::newRow("line end and escape") << QByteArray("a\n\x1b[0m") << "a\\x0a\\x1b[0m";
}

void SheetTest::namesKeepTheirBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    const QString name = fileNameFromBytes(bytes);
    QCOMPARE(fileNameBytes(name), bytes);
    QCOMPARE(printableLine(name), shown);
    QCOMPARE(hasUndecodedBytes(name), QString::fromUtf8(bytes).toUtf8() != bytes);
    if (!hasUndecodedBytes(name))
        QCOMPARE(name, QString::fromUtf8(bytes));
}

// A FILE name that is not UTF-8 is looked up with exactly its bytes; the
// titles of such a sheet read as Latin-1.
void SheetTest::namesNotUtf8ReachTheLookupAsBytes()
{
    QByteArray seen;
    const DataFileLookup lookup = [&](const QString &name) {
        seen += fileNameBytes(name) + '|';
        return fakeFile(name);
    };
    const SheetResult cue = readCueSheet("TITLE \"Caf\xe9\"\nFILE \"n\xe9.bin\" BINARY\n"
                                         "TRACK 01 AUDIO\nINDEX 01 00:00:00\n", lookup);
    QCOMPARE(cue.image.text.album.title, QString("Caf\u00e9"));
    const SheetResult toc = readTocFile("CD_DA\nCD_TEXT { LANGUAGE 0 { TITLE \"Caf\xe9\" } }\n"
                                        "TRACK AUDIO\nFILE \"n\xe9.bin\" 0\nTRACK AUDIO\nDATAFILE \"n\xe9.bin\"\n", lookup);
    QCOMPARE(toc.image.text.album.title, QString("Caf\u00e9"));
    QCOMPARE(seen, QByteArray("n\xe9.bin|n\xe9.bin|"));  // the toc looks a name up once
    for (const SheetResult &r : {cue, toc})
        QCOMPARE(r.image.dataFiles, QStringList{fileNameFromBytes("/discs/n\xe9.bin")});
}

void SheetTest::tocLayoutsAsCdrdaoReadsThem_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one file per track, SILENCE, PREGAP, START, INDEX")
        << QByteArray("CD_DA\nTRACK AUDIO\nFILE \"t1.raw\" 0\nTRACK AUDIO\nAUDIOFILE \"t2.raw\" 0\n"
                      "TRACK AUDIO\nPREGAP 0:2:0\nFILE \"t3.raw\" 0\n"
                      "TRACK AUDIO\nSILENCE 0:1:30\nSTART\nFILE \"t4.raw\" 0 0:3:0\n"
                      "TRACK AUDIO\nFILE \"t5.raw\" 0:1:0\nSTART 0:0:10\nINDEX 0:2:0\n")
        << "0-300 300-675 825-1275 1380-1605 1615-2130";
    QTest::newRow("header, CD-TEXT, data track, offsets, samples, WAVE")
        << QByteArray("CD_ROM\nCATALOG \"0000000000000\"\n"
                      "CD_TEXT { LANGUAGE_MAP { 0 : EN } LANGUAGE 0 { TITLE \"x\" PERFORMER \"y\" } }\n"
                      "TRACK MODE1\nDATAFILE \"t1.raw\" 0:2:0 // length\nZERO 00:02:00\n"
                      "TRACK AUDIO\nNO COPY\nISRC \"DEXXX9800001\"\nSILENCE 00:02:00\nSTART\n"
                      "FILE \"odd.raw\" #1000 0\n"
                      "TRACK AUDIO\nFILE \"w.wav\" 0 44100\nFILE \"t2.raw\" 1000 2000\nSILENCE 1234\n")
        << "0-300 450-1200 1200-1281";
    QTest::newRow("as cdrdao read-cd writes it")
        << QByteArray("CD_ROM\nTRACK MODE1_RAW\nNO COPY\nDATAFILE \"t4.raw\" 00:05:00 // length in bytes: 881998\n"
                      "TRACK AUDIO\nNO COPY\nNO PRE_EMPHASIS\nTWO_CHANNEL_AUDIO\nPREGAP 00:02:00\n"
                      "FILE \"t4.raw\" #882000 0 00:02:00\n")
        << "0-375 525-675";
    // In an audio track DATAFILE is audio as FILE reads it, its length in
    // bytes (not samples) or blocks, with no start: libcdio's cdda.toc.
    QTest::newRow("DATAFILE in audio tracks: the rest, bytes, blocks, WAVE")
        << QByteArray("CD_DA\nTRACK AUDIO\nDATAFILE \"t1.raw\"\nTRACK AUDIO\nDATAFILE \"t2.raw\" 23520\n"
                      "TRACK AUDIO\nCOPY\nDATAFILE \"cdda.bin\" #200 00:00:25\nTRACK AUDIO\nDATAFILE \"w.wav\"\n")
        << "0-300 300-310 310-335 335-748";
}

void SheetTest::tocLayoutsAsCdrdaoReadsThem()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    QCOMPARE(layout(readTocFile(text, fakeFile)), expected);
}

void SheetTest::addTocRefusals()
{
    QTest::newRow("FIFO") << true << QByteArray("TRACK AUDIO\nFIFO \"/tmp/f\" 1000\n") << "line 2: FIFO is not supported";
    QTest::newRow("standard input") << true << QByteArray("TRACK AUDIO\nFILE \"-\" 0 0:4:0\n")
                                    << "line 2: reading from standard input is not supported";
    QTest::newRow("sub-channel") << true << QByteArray("TRACK AUDIO RW_RAW\nFILE \"t1.raw\" 0\n")
                                 << "line 1: sub-channel data (RW_RAW) is not supported";
    QTest::newRow("audio file in data") << true << QByteArray("TRACK MODE1\nFILE \"t1.raw\" 0\n")
                                        << "line 2: audio FILE in a data track is not supported";
    QTest::newRow("DATAFILE past the file") << true << QByteArray("TRACK AUDIO\nDATAFILE \"t1.raw\" #4 00:04:00\n")
                                            << "line 2: DATAFILE reaches past the end of /discs/t1.raw";
    QTest::newRow("past the file") << true << QByteArray("TRACK AUDIO\nFILE \"t1.raw\" 0:3:0 0:2:0\n")
                                   << "line 2: FILE reaches past the end of /discs/t1.raw";
    QTest::newRow("START past the track") << true << QByteArray("TRACK AUDIO\nFILE \"t1.raw\" 0\nSTART 0:5:0\n")
                                          << "line 3: the pregap leaves track 1 no sectors";
    QTest::newRow("INDEX past the track") << true << QByteArray("TRACK AUDIO\nFILE \"t1.raw\" 0\nINDEX 0:4:0\n")
                                          << "line 3: INDEX is past the end of track 1";
    QTest::newRow("not a statement") << true << QByteArray("CD_DA\nTRACK AUDIO\nVOLUME 11\n")
                                     << "line 3: \"VOLUME\" is not a toc statement";
    QTest::newRow("missing file") << true << QByteArray("TRACK AUDIO\nFILE \"gone.raw\" 0\n")
                                  << "line 2: its data file /discs/gone.raw is missing";
    QTest::newRow("no tracks") << true << QByteArray("CD_DA // nothing else\n") << "no tracks in this toc file";
}

// cdrdao's CD_TEXT blocks: the first language's title and performer.
void SheetTest::tocCdTextGivesTitles()
{
    const QByteArray text = "CD_DA\nCD_TEXT { LANGUAGE_MAP { 0 : EN 1 : 0x69 }\n"
                            "  LANGUAGE 0 { TITLE \"Album \\\"x\\\"\" PERFORMER \"Band\" SIZE_INFO { 1, 2 } }\n"
                            "  LANGUAGE 1 { TITLE \"other\" } }\n"
                            "TRACK AUDIO\nCD_TEXT { LANGUAGE 0 { TITLE \"One\" } }\nFILE \"t1.raw\" 0\n"
                            "TRACK AUDIO\nFILE \"t2.raw\" 0\n";
    const DiscText got = readTocFile(text, fakeFile).image.text;
    QCOMPARE(got.album.title, QString("Album \"x\""));
    QCOMPARE(got.album.performer, QString("Band"));
    QCOMPARE(got.tracks.size(), size_t(1));
    QCOMPARE(got.track(1).title, QString("One"));
}

// A data file cut short after the sheet was read.
void SheetTest::cdTextFileFillsWhatTheSheetLacks_data()
{
    QTest::addColumn<QByteArray>("file");  // empty: none there
    QTest::addColumn<QString>("albumPerformer");
    QTest::addColumn<QString>("firstTitle");
    QTest::addColumn<QString>("problem");
    const QByteArray packs = cdTextPacks({"File Album", "File One", "File Two"}, {"File Band", "", ""});
    QTest::newRow("packs") << packs << "File Band" << "File One" << "";
    QTest::newRow("with a drive's header") << QByteArray("\0\0\0\0", 4).replace(1, 1, QByteArray(1, char(packs.size() + 2))) + packs
                                           << "File Band" << "File One" << "";
    QTest::newRow("missing") << QByteArray() << "" << "" << "CDTEXTFILE disc.cdt its data file";
    QTest::newRow("not CD-Text") << QByteArray("not packs") << "" << "" << "CDTEXTFILE disc.cdt holds no";
}

// The sheet's own lines were written for the copy and come first.
void SheetTest::cdTextFileFillsWhatTheSheetLacks()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, albumPerformer);
    QFETCH(QString, firstTitle);
    QFETCH(QString, problem);
    QTemporaryDir folder;
    QFile cdt(folder.filePath("disc.cdt"));
    QVERIFY(file.isEmpty() || (cdt.open(QIODevice::WriteOnly) && cdt.write(file) == file.size() && cdt.flush()));
    const QByteArray sheet = "CDTEXTFILE disc.cdt\nTITLE \"Sheet Album\"\n" + kPlainCue + "TITLE \"Sheet Two\"\n";
    const SheetResult result = readCueSheet(sheet, [&](const QString &name) {
        return name == "disc.cdt" && cdt.exists() ? DataFileFacts{cdt.fileName(), file.size(), false, false, 0, 0, {}} : fakeFile(name);
    });
    QVERIFY(result.ok());
    QCOMPARE(result.image.text.album, (DiscText::Entry{"Sheet Album", albumPerformer}));
    QCOMPARE(result.image.text.track(1).title, firstTitle);
    QCOMPARE(result.image.text.track(2).title, QString("Sheet Two"));
    const QString &said = result.image.textProblem;
    QVERIFY2(problem.isEmpty() ? said.isEmpty() : said.startsWith(problem), qPrintable(said));
}

void SheetTest::sectorsThatCannotBeReadAreSilence()
{
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write(QByteArray(2352 + 100, '\x11'));
    file.flush();
    SheetTrack track;
    track.number = 1;
    track.addPiece(file.fileName(), 0, 3 * 2352);
    SheetReader reader(placedImage({track}));
    QByteArray sector(2352, '\x7f');
    QVERIFY(reader.readSector(0, sector.data()));
    QCOMPARE(sector, QByteArray(2352, '\x11'));
    QVERIFY(!reader.readSector(1, sector.data()));
    QCOMPARE(sector, QByteArray(2352, '\0'));
    QVERIFY(!reader.readSector(3, sector.data()));  // past the disc
}

QTEST_GUILESS_MAIN(SheetTest)
#include "tst_sheets.moc"
