// SPDX-License-Identifier: GPL-3.0-or-later
#include "cue_sheet.h"

#include "disc_text_reader.h"

#include <optional>

namespace {

constexpr SheetTrackMode kTrackModes[] = {
    {"AUDIO", true, 2352},       {"CDG", true, 2448},         {"MODE1/2048", false, 2048},
    {"MODE1/2352", false, 2352}, {"MODE2/2048", false, 2048}, {"MODE2/2324", false, 2324},
    {"MODE2/2336", false, 2336}, {"MODE2/2352", false, 2352}, {"CDI/2336", false, 2336},
    {"CDI/2352", false, 2352},
};

// A cue line as words; a quoted word keeps its spaces.
QStringList words(const QString &line)
{
    QStringList out;
    QString word;
    bool quoted = false;
    bool inWord = false;
    for (const QChar c : line) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && c.isSpace()) {
            if (inWord)
                out << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        out << word;
    return out;
}

class CueReader {
public:
    explicit CueReader(const DataFileLookup &lookup) : m_lookup(lookup) {}

    SheetResult read(const QByteArray &text)
    {
        const QStringList lines = sheetLines(text);
        for (int i = 0; i < lines.size() && m_problem.isEmpty(); ++i) {
            m_line = i + 1;
            statement(words(lines[i]));
        }
        if (m_problem.isEmpty())
            finish();
        SheetResult result = sheetResult(m_problem, std::move(m_tracks), QStringLiteral("cue sheet"));
        if (result.ok())
            addText(result.image);
        return result;
    }

private:
    struct OpenFile {
        DataFileFacts facts;
        qint64 base = 0;    // where the sheet's times count from
        qint64 bytes = 0;   // how many bytes there are to lay out
        qint64 used = 0;    // bytes already given to tracks
        qint64 sectorTime = 0;  // the INDEX time those bytes reach
        bool bigEndian = false;
    };

    void refuse(const QString &what)
    {
        if (m_problem.isEmpty())
            m_problem = lineProblem(m_line, what);
    }

    void statement(const QStringList &w)
    {
        if (w.isEmpty())
            return;
        const QString keyword = w[0].toUpper();
        if (keyword == QLatin1String("FILE"))
            fileLine(w);
        else if (keyword == QLatin1String("TRACK"))
            trackLine(w);
        else if (keyword == QLatin1String("INDEX"))
            indexLine(w);
        else if (keyword == QLatin1String("PREGAP") || keyword == QLatin1String("POSTGAP"))
            gapLine(w, keyword == QLatin1String("PREGAP"));
        else if (keyword == QLatin1String("TITLE") || keyword == QLatin1String("PERFORMER"))
            textLine(w, keyword == QLatin1String("TITLE"));
        else if (keyword == QLatin1String("CDTEXTFILE"))
            m_cdTextFile = w.mid(1).join(QLatin1Char(' '));
    }

    // The sheet's own lines were written for this copy of the disc and come
    // before the CD-Text file's; a file that cannot be read costs only its
    // text.
    void addText(SheetImage &image)
    {
        image.text = m_text;
        if (m_cdTextFile.isEmpty())
            return;
        const DataFileFacts facts = m_lookup(m_cdTextFile);
        QString problem = facts.problem;
        const DiscText fileText = problem.isEmpty() ? readCdTextFile(facts.path, &problem) : DiscText{};
        if (!problem.isEmpty())
            image.textProblem = QStringLiteral("CDTEXTFILE %1 %2").arg(m_cdTextFile, problem);
        image.text = filledFrom(m_text, fileText);
    }

    // Before the first TRACK the disc's, after it the track's.
    void textLine(const QStringList &w, bool title)
    {
        DiscText::Entry &entry = m_lastNumber == 0 ? m_text.album : m_text.tracks[m_lastNumber];
        (title ? entry.title : entry.performer) = sheetText(w.mid(1).join(QLatin1Char(' ')).trimmed());
    }

    void fileLine(const QStringList &w)
    {
        if (w.size() < 2) {
            refuse(QStringLiteral("FILE names no file"));
            return;
        }
        closeFile();
        const QString type = w.size() > 2 ? w.last().toUpper() : QString();
        const QString name = w.size() > 3 ? w.mid(1, w.size() - 2).join(QLatin1Char(' ')) : w[1];
        if (type == QLatin1String("MP3") || type == QLatin1String("AIFF")) {
            refuse(QStringLiteral("%1 data files are not supported (%2)").arg(type, name));
            return;
        }
        OpenFile file;
        file.facts = m_lookup(name);
        if (!file.facts.problem.isEmpty()) {
            refuse(file.facts.problem);
            return;
        }
        file.bytes = file.facts.size;
        file.bigEndian = type == QLatin1String("MOTOROLA");
        if (type == QLatin1String("WAVE") && file.facts.riff && !file.facts.wave) {
            refuse(QStringLiteral("%1 is not a 16-bit stereo 44.1 kHz WAVE file").arg(file.facts.path));
            return;
        }
        if (type == QLatin1String("WAVE") && file.facts.wave) {
            file.base = file.facts.waveDataOffset;
            file.bytes = file.facts.waveDataBytes;
        }
        m_file = file;
    }

    void trackLine(const QStringList &w)
    {
        if (!m_file) {
            refuse(QStringLiteral("TRACK before any FILE"));
            return;
        }
        bool numeric = false;
        const int number = w.size() > 1 ? w[1].toInt(&numeric) : 0;
        if (!numeric || number < 1 || number > 99 || number <= m_lastNumber) {
            refuse(QStringLiteral("TRACK needs a number from 1 to 99 above the one before"));
            return;
        }
        const QString modeName = w.size() > 2 ? w[2].toUpper() : QString();
        const SheetTrackMode *mode = findTrackMode(kTrackModes, modeName);
        if (!mode) {
            refuse(QStringLiteral("track mode \"%1\" is not supported").arg(modeName));
            return;
        }
        if (!checkLastTrackHasStart())
            return;
        m_lastNumber = number;
        m_postgap = m_pending.postgap;
        SheetTrack t;
        t.number = number;
        t.audio = mode->audio;
        t.blockBytes = mode->blockBytes;
        m_tracks.push_back(t);
        m_pending = Pending{m_line};
    }

    void gapLine(const QStringList &w, bool pregap)
    {
        const qint64 length = w.size() > 1 ? parseMsf(w[1]) : -1;
        if (m_tracks.empty() || length < 0) {
            refuse(QStringLiteral("%1 needs a track and a time MM:SS:FF").arg(w[0]));
            return;
        }
        (pregap ? m_pending.pregap : m_pending.postgap) = length;
    }

    void indexLine(const QStringList &w)
    {
        if (m_tracks.empty()) {
            refuse(QStringLiteral("INDEX before any TRACK"));
            return;
        }
        bool numeric = false;
        const int number = w.size() > 1 ? w[1].toInt(&numeric) : -1;
        const qint64 time = w.size() > 2 ? parseMsf(w[2]) : -1;
        if (!numeric || number < 0 || number > 99 || time < 0) {
            refuse(QStringLiteral("INDEX needs a number and a time MM:SS:FF"));
            return;
        }
        if (number <= m_pending.lastIndex || (number > 1 && m_pending.lastIndex < 1)) {
            refuse(QStringLiteral("INDEX %1 out of order").arg(number, 2, 10, QLatin1Char('0')));
            return;
        }
        if (time < m_file->sectorTime) {
            refuse(QStringLiteral("INDEX time %1 goes back before %2")
                       .arg(formatMsf(time), formatMsf(m_file->sectorTime)));
            return;
        }
        giveFileTo(receiver(), time - m_file->sectorTime);
        if (m_file->used >= m_file->bytes) {
            refuse(QStringLiteral("INDEX time %1 is past the end of %2")
                       .arg(formatMsf(time), m_file->facts.path));
            return;
        }
        if (m_pending.lastIndex < 0 && m_tracks.size() > 1
            && sectorsOf(receiver()) <= receiver().pregapSectors) {
            refuse(QStringLiteral("INDEX time %1 leaves TRACK %2 no sectors")
                       .arg(formatMsf(time))
                       .arg(receiver().number, 2, 10, QLatin1Char('0')));
            return;
        }
        if (m_pending.lastIndex < 0)
            startReceiving();
        if (number == 1)
            m_tracks.back().pregapSectors = sectorsOf(m_tracks.back());
        m_pending.lastIndex = number;
    }

    // The track the file's bytes go to until the next INDEX: the last one
    // that has begun, else the one being declared (its leading pregap).
    SheetTrack &receiver()
    {
        if (m_pending.lastIndex < 0 && m_tracks.size() > 1)
            return m_tracks[m_tracks.size() - 2];
        return m_tracks.back();
    }

    void startReceiving()
    {
        if (m_tracks.size() > 1)
            addZeros(m_tracks[m_tracks.size() - 2], m_postgap);
        m_postgap = 0;
        addZeros(m_tracks.back(), m_pending.pregap);
    }

    static qint64 sectorsOf(const SheetTrack &t)
    {
        return (t.pieceBytes() + t.blockBytes - 1) / t.blockBytes;
    }

    static void addZeros(SheetTrack &t, qint64 sectors)
    {
        t.addPiece(QString(), 0, sectors * t.blockBytes);
    }

    void giveFileTo(SheetTrack &t, qint64 sectors)
    {
        const qint64 bytes = qMin(sectors * t.blockBytes, m_file->bytes - m_file->used);
        t.addPiece(m_file->facts.path, m_file->base + m_file->used, bytes, m_file->bigEndian && t.audio);
        m_file->used += bytes;
        m_file->sectorTime += sectors;
    }

    // The rest of the file belongs to the track receiving it.
    void closeFile()
    {
        if (m_file && !m_tracks.empty()) {
            SheetTrack &t = receiver();
            giveFileTo(t, (m_file->bytes - m_file->used + t.blockBytes - 1) / t.blockBytes);
        }
        m_file.reset();
    }

    bool checkLastTrackHasStart()
    {
        if (m_tracks.empty() || m_pending.lastIndex >= 1)
            return true;
        m_line = m_pending.trackLine;
        refuse(QStringLiteral("TRACK %1 has no INDEX 01").arg(m_tracks.back().number, 2, 10,
                                                                QLatin1Char('0')));
        return false;
    }

    void finish()
    {
        if (!checkLastTrackHasStart())
            return;
        closeFile();
        if (!m_tracks.empty())
            addZeros(m_tracks.back(), m_pending.postgap);
    }

    struct Pending {
        int trackLine = 0;
        int lastIndex = -1;
        qint64 pregap = 0;
        qint64 postgap = 0;
    };

    const DataFileLookup &m_lookup;
    std::vector<SheetTrack> m_tracks;
    std::optional<OpenFile> m_file;
    Pending m_pending;
    qint64 m_postgap = 0;  // of the track before the one being declared
    int m_lastNumber = 0;
    DiscText m_text;
    QString m_cdTextFile;
    int m_line = 0;
    QString m_problem;
};

}  // namespace

SheetResult readCueSheet(const QByteArray &text, const DataFileLookup &lookup)
{
    return CueReader(lookup).read(text);
}
