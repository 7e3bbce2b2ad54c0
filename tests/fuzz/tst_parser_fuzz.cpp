// SPDX-License-Identifier: GPL-3.0-or-later
// Every text the player parses itself, fed random and mutated inputs: the
// parsers never crash or hang, refuse with a message, and what they accept
// holds together. VELOR_FUZZ_RUNS sets the number of inputs (split between
// the parsers), VELOR_FUZZ_SEED the seed, printed when a check fails.
#include "command_line.h"
#include "cue_sheet.h"
#include "file_names.h"
#include "settings_file.h"
#include "sheet_reader.h"
#include "toc_sheet.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Random = std::mt19937_64;

const QByteArray kCueSeeds[] = {
    "FILE \"a.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n"
    "    INDEX 00 00:01:00\n    INDEX 01 00:01:10\n  TRACK 03 MODE1/2352\n    INDEX 01 00:02:00\n",
    "\xEF\xBB\xBFREM GENRE Rock\r\nPERFORMER \"x\"\r\nFILE \"b.wav\" WAVE\r\n  TRACK 01 AUDIO\r\n"
    "    PREGAP 00:02:00\r\n    INDEX 01 00:00:00\r\n    POSTGAP 00:00:30\r\nFILE \"A.BIN\" BINARY\r\n"
    "  TRACK 02 AUDIO\r\n    INDEX 00 00:00:00\r\n    INDEX 01 00:00:20\r\n",
    // Latin-1: a title to read as such, a file to name with its bytes.
    "TITLE \"Caf\xe9\"\nFILE \"n\xe9.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n",
};

const QByteArray kSettingsSeeds[] = {"3000,2250\r\n", "-15.5,  30\n", " 1e3 ,2,9", "7,8"};

const QByteArray kTocSeeds[] = {
    "CD_DA\nCD_TEXT { LANGUAGE_MAP { 0 : EN } LANGUAGE 0 { TITLE \"t\" } }\nTRACK AUDIO\nNO COPY\n"
    "ISRC \"DEXXX9800001\"\nFILE \"a.bin\" 0 00:01:00\nTRACK AUDIO\nPREGAP 0:0:20\nAUDIOFILE \"b.wav\" 0\n"
    "INDEX 0:0:10\nTRACK AUDIO\nSILENCE 0:0:30\nSTART\nFILE \"a.bin\" SWAP #2352 1000 2000\n",
    "CD_ROM // comment\nTRACK MODE1_RAW\nDATAFILE \"a.bin\" #0 00:00:40\nZERO MODE1_RAW 00:00:10\n"
    "TRACK AUDIO\nFILE \"a.bin\" 00:01:00 0\nSTART 00:00:05\n",
    // DATAFILE in audio tracks, as libcdio's cdda.toc has it; a Latin-1 name.
    "CD_DA\nTRACK AUDIO\nCOPY\nDATAFILE \"a.bin\" #200 00:00:25\nTRACK AUDIO\nDATAFILE \"n\xe9.bin\" 4704\n"
    "TRACK AUDIO\nDATAFILE \"b.wav\"\n",
};

const QByteArray kWords[] = {
    "FILE", "TRACK", "INDEX", "PREGAP", "POSTGAP", "AUDIO", "MODE1/2352", "BINARY", "WAVE",
    "START", "SILENCE", "ZERO", "DATAFILE", "AUDIOFILE", "FIFO", "CD_TEXT", "{", "}", "\"",
    "#", "//", ":", "00:00:00", "99:59:74", "0:0:75", "999999999999999", "-1", "01", "00",
    "\"a.bin\"", "\"b.wav\"", "\"A.BIN\"", "\"-\"", "\r\n", "\n", "\r", "\t", " ", "\xEF\xBB\xBF",
    "\xFF\xFE", "\0", "\\", "RW_RAW", "MODE2_FORM_MIX", "SWAP", "\"n\xe9.bin\"", "\xe9", "\xc3",
};

QByteArray randomBytes(Random &random, int length)
{
    QByteArray out(length, '\0');
    for (char &c : out)
        c = char(random() & 0xFF);
    return out;
}

// Flips, inserts, deletes, duplicates and splices, a few at a time.
QByteArray mutate(QByteArray text, Random &random)
{
    const int edits = 1 + int(random() % 3);
    for (int i = 0; i < edits; ++i) {
        const int at = text.isEmpty() ? 0 : int(random() % quint64(text.size() + 1));
        const QByteArray &word = kWords[random() % std::size(kWords)];
        switch (random() % 6) {
        case 0:
            if (at < text.size())
                text[at] = char(random() & 0xFF);
            break;
        case 1:
            text.insert(at, word);
            break;
        case 2:
            text.remove(at, int(random() % 16));
            break;
        case 3:
            text.insert(at, text.mid(int(random() % quint64(text.size() + 1)), int(random() % 64)));
            break;
        case 4:
            text.insert(at, randomBytes(random, int(random() % 8)));
            break;
        default:
            text.insert(at, QByteArray::number(qint64(random() % 100000)) + ':' + word);
            break;
        }
    }
    return text;
}

template <size_t N>
QByteArray sheetInput(const QByteArray (&seeds)[N], Random &random)
{
    if (random() % 10 == 0)
        return randomBytes(random, int(random() % 512));
    return mutate(seeds[random() % N], random);
}

}  // namespace

class ParserFuzzTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void parsersSurviveRandomInput();

private:
    void checkSheet(const SheetResult &result);
    void checkCommandLine(Random &random);
    void checkSettingsFile(Random &random);
    DataFileFacts file(const QString &name) const;

    QTemporaryDir m_dir;
    QHash<QString, qint64> m_sizes;
    QByteArray m_input;  // the last sheet, shown when a check fails
    qint64 m_accepted = 0;
};

void ParserFuzzTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_sizes = {{"a.bin", 3 * 75 * 2352 + 17}, {"b.wav", 75 * 2352 + 44}, {fileNameFromBytes("n\xe9.bin"), 2 * 2352}};
    for (auto it = m_sizes.cbegin(); it != m_sizes.cend(); ++it) {
        const int fd = ::open(fileNameBytes(m_dir.filePath(it.key())).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        QVERIFY(fd >= 0 && ::ftruncate(fd, it.value()) == 0);
        ::close(fd);
    }
}

// Qt lists no name that is not UTF-8, so cannot remove it with the folder.
void ParserFuzzTest::cleanupTestCase()
{
    for (auto it = m_sizes.cbegin(); it != m_sizes.cend(); ++it)
        ::unlink(fileNameBytes(m_dir.filePath(it.key())).constData());
}

qint64 fileSize(const QString &path)
{
    struct stat st {};
    return ::stat(fileNameBytes(path).constData(), &st) == 0 ? qint64(st.st_size) : -1;
}

// Files the sheets may name, the way the real lookup reports them.
DataFileFacts ParserFuzzTest::file(const QString &name) const
{
    DataFileFacts facts;
    const QString known = name.compare("A.BIN", Qt::CaseInsensitive) == 0 ? "a.bin" : name;
    facts.path = m_dir.path() + '/' + known;
    if (!m_sizes.contains(known)) {
        facts.problem = "its data file " + facts.path + " is missing";
        return facts;
    }
    facts.size = m_sizes[known];
    facts.riff = facts.wave = known.endsWith(".wav");
    facts.waveDataOffset = facts.wave ? 44 : 0;
    facts.waveDataBytes = facts.wave ? facts.size - 44 : 0;
    return facts;
}

// A sheet is refused with a message, or its tracks lie end to end, each
// with sectors, INDEX 01 inside it and its pieces inside their files.
void ParserFuzzTest::checkSheet(const SheetResult &result)
{
    if (!result.ok()) {
        QVERIFY(!result.refusal.trimmed().isEmpty());
        return;
    }
    ++m_accepted;
    const auto &tracks = result.image.tracks;
    QVERIFY(!tracks.empty() && tracks.size() <= 99);
    qint64 next = 0;
    int number = 0;
    for (const SheetTrack &t : tracks) {
        QVERIFY(t.number > number && t.number <= 99);
        number = t.number;
        QCOMPARE(t.regionStart, next);
        QVERIFY(t.sectors > 0 && t.pregapSectors >= 0 && t.pregapSectors < t.sectors);
        next = t.regionEnd();
        for (const SheetPiece &p : t.pieces) {
            QVERIFY(p.bytes > 0 && p.offset >= 0);
            if (!p.file.isEmpty())
                QVERIFY(p.offset + p.bytes <= fileSize(p.file));
        }
    }
    SheetReader reader(result.image);
    const DiscToc toc = reader.toc();
    char sector[2352];
    for (const TrackInfo &t : toc.tracks()) {
        QVERIFY(t.endLsn > t.startLsn);
        QVERIFY(reader.readSector(t.startLsn, sector));
        QVERIFY(reader.readSector(t.endLsn - 1, sector));
    }
}

void ParserFuzzTest::checkCommandLine(Random &random)
{
    // Arguments are bytes, as main() takes them from argv.
    static const QByteArray pieces[] = {"--device", "-device", "--device=", "--help", "-h", "--version",
                                        "-v", "--", "-", "--unknown", "a.cue", "line\nbreak", "",
                                        QByteArray(300, 'x'), "--help-all", "-?", "--dev", "n\xe9.cue",
                                        "--device=n\xe9.cue", "--\xe9"};
    QStringList arguments{"velor-cdplayer"};
    m_input.clear();
    const int count = int(random() % 5);
    for (int i = 0; i < count; ++i) {
        const QByteArray argument = random() % 8 ? pieces[random() % std::size(pieces)]
                                                 : randomBytes(random, int(random() % 12)).replace('\0', 'z');
        arguments << fileNameFromBytes(argument);
        m_input += argument + '\0';
    }
    const CommandLine line = parseCommandLine(arguments);
    const bool refused = line.action == CommandLine::Action::Refuse;
    QVERIFY(refused == !line.text.isEmpty() || line.action != CommandLine::Action::Run);
    QVERIFY(!refused || (line.text.startsWith(QLatin1String("velor-cdplayer: ")) && line.exitStatus() == 2));
    // A path keeps its bytes; what is said is one line with every byte shown.
    QVERIFY(line.device.isEmpty() || m_input.contains(fileNameBytes(line.device) + '\0'));
    const QString said = printableLine(line.text);
    QVERIFY(!said.contains(QLatin1Char('\n')) && !hasUndecodedBytes(said));
}

// A position read back is one the player can use and writes as it read it.
void ParserFuzzTest::checkSettingsFile(Random &random)
{
    QString problem;
    const std::optional<QPointF> twips = SettingsFile::parse(m_input = sheetInput(kSettingsSeeds, random), &problem);
    QVERIFY(twips.has_value() == problem.isEmpty());
    if (!twips)
        return;
    QVERIFY(qIsFinite(twips->x()) && qIsFinite(twips->y()));
    QCOMPARE(SettingsFile::parse(SettingsFile::format(*twips), &problem), twips);
}

void ParserFuzzTest::parsersSurviveRandomInput()
{
    const qint64 runs = qEnvironmentVariableIsSet("VELOR_FUZZ_RUNS")
                            ? qEnvironmentVariable("VELOR_FUZZ_RUNS").toLongLong()
                            : 100000;
    const quint64 seed = qEnvironmentVariableIsSet("VELOR_FUZZ_SEED")
                             ? qEnvironmentVariable("VELOR_FUZZ_SEED").toULongLong()
                             : 20261208;
    const DataFileLookup lookup = [this](const QString &name) { return file(name); };
    const std::function<void(Random &)> parsers[] = {
        [&](Random &r) { checkSheet(readCueSheet(m_input = sheetInput(kCueSeeds, r), lookup)); },
        [&](Random &r) { checkSheet(readTocFile(m_input = sheetInput(kTocSeeds, r), lookup)); },
        [&](Random &r) { checkCommandLine(r); },
        [&](Random &r) { checkSettingsFile(r); },
    };
    for (const QByteArray &seedText : kCueSeeds)
        QCOMPARE(readCueSheet(seedText, lookup).refusal, QString());
    for (const QByteArray &seedText : kTocSeeds)
        QCOMPARE(readTocFile(seedText, lookup).refusal, QString());
    // A stream of its own for each parser: inputs added for one parser do
    // not reshuffle what the others are fed.
    std::vector<Random> streams;
    for (size_t p = 0; p < std::size(parsers); ++p)
        streams.emplace_back(seed + p);
    for (qint64 i = 0; i < runs; ++i) {
        parsers[i % std::size(parsers)](streams[i % std::size(parsers)]);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QString("input %1 of seed %2 (VELOR_FUZZ_SEED=%2): %3")
                                 .arg(i)
                                 .arg(seed)
                                 .arg(QString::fromLatin1(m_input.toPercentEncoding(" \n\":{}#/")))));
    }
    // Mutations that left nothing acceptable would test the refusals only.
    QVERIFY2(m_accepted * 20 > runs / 2, qPrintable(QString("%1 sheets accepted").arg(m_accepted)));
}

QTEST_GUILESS_MAIN(ParserFuzzTest)
#include "tst_parser_fuzz.moc"
