// SPDX-License-Identifier: GPL-3.0-or-later
#include "toc_sheet.h"

#include "file_names.h"

#include <QHash>

namespace {

constexpr int kSampleBytes = 4;
constexpr int kMaxNumberDigits = 12;

constexpr SheetTrackMode kTocModes[] = {
    {"AUDIO", true, 2352},        {"MODE0", false, 2336},       {"MODE1", false, 2048},
    {"MODE1_RAW", false, 2352},   {"MODE2", false, 2336},       {"MODE2_FORM1", false, 2048},
    {"MODE2_FORM2", false, 2324}, {"MODE2_FORM_MIX", false, 2336}, {"MODE2_RAW", false, 2352},
};

const SheetTrackMode *tocMode(const QString &word) { return findTrackMode(kTocModes, word); }

struct Token {
    enum Kind { End, Word, Number, Msf, String, Offset, Open, Close, Other } kind = End;
    QString text;
    int line = 0;
};

// Splits a toc file into tokens; // starts a comment to the end of the line.
class TocTokens {
public:
    explicit TocTokens(const QByteArray &text) : m_lines(sheetLines(text)) { advance(); }

    const Token &peek() const { return m_token; }
    Token take()
    {
        Token t = m_token;
        advance();
        return t;
    }

private:
    void advance()
    {
        m_token = Token{};
        for (;;) {
            if (m_row >= m_lines.size()) {
                m_token.line = int(m_lines.size());
                return;
            }
            const QString &line = m_lines[m_row];
            while (m_col < line.size() && line[m_col].isSpace())
                ++m_col;
            if (m_col < line.size() && !line.mid(m_col, 2).startsWith(QLatin1String("//")))
                break;
            ++m_row;
            m_col = 0;
        }
        const QString &line = m_lines[m_row];
        m_token.line = int(m_row) + 1;
        const QChar c = line[m_col];
        if (c == QLatin1Char('"'))
            readString(line);
        else if (c == QLatin1Char('#'))
            readRun(line, Token::Offset, 1);
        else if (c.isDigit())
            readRun(line, Token::Number, 0);
        else if (c.isLetter() || c == QLatin1Char('_'))
            readRun(line, Token::Word, 0);
        else
            readSingle(c);
    }

    void readSingle(QChar c)
    {
        m_token.kind = c == QLatin1Char('{')   ? Token::Open
                       : c == QLatin1Char('}') ? Token::Close
                                               : Token::Other;
        m_token.text = c;
        ++m_col;
    }

    void readRun(const QString &line, Token::Kind kind, int skip)
    {
        m_col += skip;
        const qsizetype start = m_col;
        const bool word = kind == Token::Word;
        while (m_col < line.size()
               && (word ? line[m_col].isLetterOrNumber() || line[m_col] == QLatin1Char('_')
                        : line[m_col].isDigit()
                              || (kind == Token::Number && line[m_col] == QLatin1Char(':'))))
            ++m_col;
        m_token.kind = kind;
        m_token.text = line.mid(start, m_col - start);
        if (kind == Token::Number && m_token.text.contains(QLatin1Char(':')))
            m_token.kind = Token::Msf;
    }

    void readString(const QString &line)
    {
        m_token.kind = Token::String;
        ++m_col;
        while (m_col < line.size() && line[m_col] != QLatin1Char('"')) {
            if (line[m_col] == QLatin1Char('\\') && m_col + 1 < line.size())
                ++m_col;
            m_token.text += line[m_col++];
        }
        ++m_col;  // the closing quote; a string ends with its line
    }

    QStringList m_lines;
    qsizetype m_row = 0;
    qsizetype m_col = 0;
    Token m_token;
};

class TocReader {
public:
    TocReader(const QByteArray &text, const DataFileLookup &lookup) : m_in(text), m_lookup(lookup) {}

    SheetResult read()
    {
        header();
        while (m_problem.isEmpty() && m_in.peek().kind != Token::End)
            track();
        SheetResult result = sheetResult(m_problem, std::move(m_tracks), QStringLiteral("toc file"));
        result.image.text = std::move(m_text);
        return result;
    }

private:
    void refuse(int line, const QString &what)
    {
        if (m_problem.isEmpty())
            m_problem = lineProblem(line, what);
    }
    void unsupported(const Token &t, const QString &feature)
    {
        refuse(t.line, QStringLiteral("%1 is not supported").arg(feature));
    }
    bool isWord(const char *word) const
    {
        return m_in.peek().kind == Token::Word && m_in.peek().text == QLatin1String(word);
    }
    bool expect(Token::Kind kind, const Token &after)
    {
        if (m_in.peek().kind == kind)
            return true;
        refuse(m_in.peek().line, QStringLiteral("%1 is not complete").arg(after.text));
        return false;
    }

    void header()
    {
        while (m_problem.isEmpty() && m_in.peek().kind != Token::End && !isWord("TRACK")) {
            const Token t = m_in.take();
            if (t.kind == Token::Word && t.text == QLatin1String("CATALOG")) {
                if (expect(Token::String, t))
                    m_in.take();
            } else if (t.kind == Token::Word && t.text == QLatin1String("CD_TEXT")) {
                textBlock(t, m_text.album);
            } else if (!(t.kind == Token::Word && t.text.startsWith(QLatin1String("CD_")))) {
                notAStatement(t);
            }
        }
    }

    void notAStatement(const Token &t)
    {
        refuse(t.line, QStringLiteral("\"%1\" is not a toc statement").arg(t.text));
    }

    // A CD_TEXT block: the title and performer of its first language
    // block go to entry; everything else in it is passed over.
    void textBlock(const Token &after, DiscText::Entry &entry)
    {
        if (!expect(Token::Open, after))
            return;
        int depth = 0;
        int languageBlocks = 0;
        do {
            const Token t = m_in.take();
            if (t.kind == Token::End) {
                refuse(t.line, QStringLiteral("CD_TEXT block is not closed"));
                return;
            }
            depth += t.kind == Token::Open ? 1 : t.kind == Token::Close ? -1 : 0;
            if (t.kind == Token::Word && t.text == QLatin1String("LANGUAGE"))
                ++languageBlocks;
            const bool title = t.text == QLatin1String("TITLE");
            if (t.kind == Token::Word && languageBlocks == 1 && (title || t.text == QLatin1String("PERFORMER"))
                && m_in.peek().kind == Token::String)
                (title ? entry.title : entry.performer) = sheetText(m_in.take().text);
        } while (depth > 0);
    }

    void track()
    {
        const Token head = m_in.take();
        if (head.kind != Token::Word || head.text != QLatin1String("TRACK")) {
            notAStatement(head);
            return;
        }
        const SheetTrackMode *mode = m_in.peek().kind == Token::Word ? tocMode(m_in.peek().text) : nullptr;
        if (!mode) {
            refuse(head.line, QStringLiteral("TRACK needs a track mode such as AUDIO or MODE1"));
            return;
        }
        m_in.take();
        if (isWord("RW") || isWord("RW_RAW")) {
            unsupported(m_in.peek(), QStringLiteral("sub-channel data (%1)").arg(m_in.peek().text));
            return;
        }
        if (m_tracks.size() >= 99) {
            refuse(head.line, QStringLiteral("more than 99 tracks"));
            return;
        }
        SheetTrack t;
        t.number = int(m_tracks.size()) + 1;
        t.audio = mode->audio;
        t.blockBytes = mode->blockBytes;
        m_track = TrackState{head.line};
        while (m_problem.isEmpty() && m_in.peek().kind != Token::End && !isWord("TRACK"))
            trackStatement(t);
        finishTrack(t);
        m_tracks.push_back(std::move(t));
    }

    void trackStatement(SheetTrack &t)
    {
        const Token s = m_in.take();
        const QString &w = s.text;
        if (s.kind != Token::Word) {
            notAStatement(s);
        } else if (w == QLatin1String("NO")) {
            if (!isWord("COPY") && !isWord("PRE_EMPHASIS"))
                notAStatement(s);
            m_in.take();
        } else if (w == QLatin1String("COPY") || w == QLatin1String("PRE_EMPHASIS")
                   || w == QLatin1String("TWO_CHANNEL_AUDIO")
                   || w == QLatin1String("FOUR_CHANNEL_AUDIO")) {
        } else if (w == QLatin1String("ISRC")) {
            if (expect(Token::String, s))
                m_in.take();
        } else if (w == QLatin1String("CD_TEXT")) {
            DiscText::Entry entry;
            textBlock(s, entry);
            if (!(entry == DiscText::Entry{}))
                m_text.tracks[t.number] = entry;
        } else if (w == QLatin1String("SILENCE") || w == QLatin1String("ZERO")) {
            zeros(s, t);
        } else if (w == QLatin1String("FILE") || w == QLatin1String("AUDIOFILE")
                   || w == QLatin1String("DATAFILE")) {
            dataFile(s, t);
        } else if (w == QLatin1String("FIFO")) {
            unsupported(s, QStringLiteral("FIFO"));
        } else if (w == QLatin1String("START") || w == QLatin1String("PREGAP")) {
            pregap(s, t);
        } else if (w == QLatin1String("INDEX")) {
            index(s, t);
        } else {
            notAStatement(s);
        }
    }

    // A length or start: MM:SS:FF in blocks, or a plain number of samples
    // (audio FILE and SILENCE) or bytes (DATAFILE, data tracks). -1 when
    // there is none.
    qint64 bytesOf(const SheetTrack &t, bool inSamples = true)
    {
        const Token &v = m_in.peek();
        if (v.kind == Token::Msf)
            return qMax(msf(), qint64(0)) * t.blockBytes;
        if (v.kind != Token::Number)
            return -1;
        if (v.text.size() > kMaxNumberDigits)
            refuse(v.line, QStringLiteral("number %1 is too large").arg(v.text));
        const qint64 n = m_in.take().text.left(kMaxNumberDigits).toLongLong();
        return t.audio && inSamples ? n * kSampleBytes : n;
    }

    // Takes a MM:SS:FF token as sectors; -1, refused, when it is not one.
    qint64 msf()
    {
        const Token v = m_in.take();
        const qint64 sectors = parseMsf(v.text);
        if (sectors < 0)
            refuse(v.line, QStringLiteral("\"%1\" is not a time MM:SS:FF").arg(v.text));
        return sectors;
    }

    void zeros(const Token &s, SheetTrack &t)
    {
        if (s.text == QLatin1String("ZERO")) {
            if (m_in.peek().kind == Token::Word && tocMode(m_in.peek().text))
                m_in.take();
            if (isWord("RW") || isWord("RW_RAW")) {
                unsupported(m_in.peek(), QStringLiteral("sub-channel data (%1)").arg(m_in.peek().text));
                return;
            }
        }
        const qint64 bytes = bytesOf(t);
        if (bytes < 0)
            refuse(s.line, QStringLiteral("%1 needs a length").arg(s.text));
        t.addPiece(QString(), 0, bytes);
        m_track.hasData = true;
    }

    // FILE and AUDIOFILE take a start and length in samples; DATAFILE has
    // no start and its length is in bytes, in an audio track too, where
    // cdrdao reads it as audio: raw or WAVE as FILE reads it, the audio
    // data from #offset on when no length is given.
    void dataFile(const Token &s, SheetTrack &t)
    {
        const bool audioStatement = s.text != QLatin1String("DATAFILE");
        if (audioStatement && !t.audio) {
            unsupported(s, QStringLiteral("audio FILE in a data track"));
            return;
        }
        if (!expect(Token::String, s))
            return;
        const QString name = m_in.take().text;
        const bool swapped = isWord("SWAP");
        if (swapped)
            m_in.take();
        qint64 offset = 0;
        if (m_in.peek().kind == Token::Offset)
            offset = m_in.take().text.left(kMaxNumberDigits).toLongLong();
        qint64 start = 0;
        if (audioStatement) {
            start = bytesOf(t);
            if (start < 0) {
                refuse(s.line, QStringLiteral("%1 needs a start").arg(s.text));
                return;
            }
        }
        const qint64 length = bytesOf(t, audioStatement);
        if (name == QLatin1String("-")) {
            unsupported(s, QStringLiteral("reading from standard input"));
            return;
        }
        const DataFileFacts facts = lookup(name);
        if (!facts.problem.isEmpty()) {
            refuse(s.line, facts.problem);
            return;
        }
        // cdrdao takes a file whose name ends in .wav as WAVE, any other as raw.
        const bool wave = t.audio && fileNameBytes(name).toLower().endsWith(".wav");
        if (wave && !facts.wave) {
            refuse(s.line, QStringLiteral("%1 is not a 16-bit stereo 44.1 kHz WAVE file").arg(facts.path));
            return;
        }
        const qint64 base = (wave ? facts.waveDataOffset : 0) + offset;
        qint64 available = (wave ? facts.waveDataOffset + facts.waveDataBytes : facts.size) - base;
        if (t.audio)
            available -= available % kSampleBytes;  // whole samples only
        const qint64 bytes = length > 0 ? length : available - start;
        if (start + bytes > available || bytes <= 0) {
            refuse(s.line, QStringLiteral("%1 reaches past the end of %2").arg(s.text, facts.path));
            return;
        }
        // Raw audio is big-endian and WAVE little-endian unless SWAP says otherwise.
        t.addPiece(facts.path, base + start, bytes, t.audio && wave == swapped);
        m_track.hasData = true;
    }

    void pregap(const Token &s, SheetTrack &t)
    {
        if (m_track.hasPregap) {
            refuse(s.line, QStringLiteral("a track has one START or PREGAP"));
            return;
        }
        m_track.hasPregap = true;
        m_track.pregapLine = s.line;
        const bool explicitLength = m_in.peek().kind == Token::Msf;
        const qint64 length = explicitLength ? msf() : -1;
        if (explicitLength && length < 0)
            return;
        if (s.text == QLatin1String("PREGAP")) {
            if (length < 0 || m_track.hasData) {
                refuse(s.line, QStringLiteral("PREGAP needs a time MM:SS:FF before the track's data"));
                return;
            }
            t.addPiece(QString(), 0, length * t.blockBytes);
            m_track.hasData = true;
            t.pregapSectors = length;
        } else {
            t.pregapSectors = explicitLength ? length
                                             : (t.pieceBytes() + t.blockBytes - 1) / t.blockBytes;
        }
    }

    void index(const Token &s, SheetTrack &t)
    {
        if (m_in.peek().kind != Token::Msf) {
            refuse(s.line, QStringLiteral("INDEX needs a time MM:SS:FF"));
            return;
        }
        const qint64 at = msf();
        if (at < 0)
            return;
        if (at <= m_track.lastIndex) {
            refuse(s.line, QStringLiteral("INDEX times must increase"));
            return;
        }
        m_track.lastIndex = at;
        m_track.lastIndexLine = s.line;
        (void)t;
    }

    void finishTrack(const SheetTrack &t)
    {
        if (!m_problem.isEmpty())
            return;
        const qint64 sectors = (t.pieceBytes() + t.blockBytes - 1) / t.blockBytes;
        if (sectors == 0)
            refuse(m_track.line, QStringLiteral("TRACK %1 has no data").arg(t.number));
        else if (t.pregapSectors >= sectors)
            refuse(m_track.pregapLine, QStringLiteral("the pregap leaves track %1 no sectors").arg(t.number));
        else if (m_track.lastIndex >= sectors - t.pregapSectors)
            refuse(m_track.lastIndexLine, QStringLiteral("INDEX is past the end of track %1").arg(t.number));
    }

    DataFileFacts lookup(const QString &name)
    {
        auto it = m_files.find(name);
        if (it == m_files.end())
            it = m_files.insert(name, m_lookup(name));
        return *it;
    }

    struct TrackState {
        int line = 0;
        bool hasData = false;
        bool hasPregap = false;
        int pregapLine = 0;
        qint64 lastIndex = 0;
        int lastIndexLine = 0;
    };

    TocTokens m_in;
    const DataFileLookup &m_lookup;
    QHash<QString, DataFileFacts> m_files;
    std::vector<SheetTrack> m_tracks;
    TrackState m_track;
    QString m_problem;
    DiscText m_text;
};

}  // namespace

SheetResult readTocFile(const QByteArray &text, const DataFileLookup &lookup)
{
    return TocReader(text, lookup).read();
}
