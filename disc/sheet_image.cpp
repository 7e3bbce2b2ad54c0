// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheet_image.h"

#include "file_names.h"

#include <QRegularExpression>

namespace {
constexpr int kFramesPerSecond = 75;
}

qint64 SheetTrack::pieceBytes() const
{
    qint64 total = 0;
    for (const SheetPiece &p : pieces)
        total += p.bytes;
    return total;
}

void SheetTrack::addPiece(const QString &file, qint64 offset, qint64 bytes, bool bigEndian)
{
    if (bytes <= 0)
        return;
    SheetPiece *last = pieces.empty() ? nullptr : &pieces.back();
    // Neighbouring runs of one file (or of zeros) are one piece.
    if (last && last->file == file && last->bigEndian == bigEndian
        && (file.isEmpty() || last->offset + last->bytes == offset))
        last->bytes += bytes;
    else
        pieces.push_back(SheetPiece{file, offset, bytes, bigEndian});
}

QString sheetText(const QString &words)
{
    return hasUndecodedBytes(words) ? QString::fromLatin1(fileNameBytes(words)) : words;
}

QStringList sheetLines(const QByteArray &text)
{
    QByteArray bytes = text;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QString decoded = fileNameFromBytes(bytes);
    decoded.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    decoded.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return decoded.split(QLatin1Char('\n'));
}

qint64 parseMsf(const QString &text)
{
    static const QRegularExpression msf(QStringLiteral("^(\\d{1,4}):(\\d{1,2}):(\\d{1,2})$"));
    const auto m = msf.match(text);
    if (!m.hasMatch())
        return -1;
    const qint64 minutes = m.captured(1).toLongLong();
    const int seconds = m.captured(2).toInt();
    const int frames = m.captured(3).toInt();
    if (seconds >= 60 || frames >= kFramesPerSecond)
        return -1;
    return (minutes * 60 + seconds) * kFramesPerSecond + frames;
}

QString formatMsf(qint64 sectors)
{
    const qint64 seconds = sectors / kFramesPerSecond;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(sectors % kFramesPerSecond, 2, 10, QLatin1Char('0'));
}

SheetImage placedImage(std::vector<SheetTrack> tracks)
{
    SheetImage image;
    qint64 next = 0;
    for (SheetTrack &t : tracks) {
        t.regionStart = next;
        t.sectors = (t.pieceBytes() + t.blockBytes - 1) / t.blockBytes;
        next += t.sectors;
        for (const SheetPiece &p : t.pieces)
            if (!p.file.isEmpty() && !image.dataFiles.contains(p.file))
                image.dataFiles << p.file;
    }
    image.tracks = std::move(tracks);
    return image;
}

QString lineProblem(int line, const QString &what)
{
    return QStringLiteral("line %1: %2").arg(line).arg(what);
}

SheetResult sheetResult(const QString &problem, std::vector<SheetTrack> tracks, const QString &kind)
{
    SheetResult result;
    if (!problem.isEmpty())
        result.refusal = problem;
    else if (tracks.empty())
        result.refusal = QStringLiteral("no tracks in this %1").arg(kind);
    else
        result.image = placedImage(std::move(tracks));
    return result;
}
