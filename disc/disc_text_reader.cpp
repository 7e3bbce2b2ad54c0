// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc_text_reader.h"

#include "image_files.h"

#include <cdio/cdio.h>
#include <cdio/cdtext.h>

#include <unistd.h>

#include <memory>

namespace {
constexpr int kPackBytes = 18;
// Eight languages of 256 packs each is all a lead-in holds.
constexpr qint64 kMaxCdTextBytes = 8 * 256 * kPackBytes + 5;

DiscText::Entry entry(const cdtext_t *text, track_t track)
{
    const auto field = [&](cdtext_field_t f) {
        return QString::fromUtf8(cdtext_get_const(text, f, track)).trimmed();
    };
    return {field(CDTEXT_FIELD_TITLE), field(CDTEXT_FIELD_PERFORMER)};
}

DiscText textOf(const cdtext_t *text, int first, int last)
{
    DiscText result;
    result.album = entry(text, 0);
    for (int n = first; n <= last; ++n) {
        const DiscText::Entry e = entry(text, track_t(n));
        if (!(e == DiscText::Entry{}))
            result.tracks[n] = e;
    }
    return result;
}

QByteArray readSmallFile(const QString &path, QString *problem)
{
    const int fd = openRegularFile(path);
    QByteArray bytes(kMaxCdTextBytes + 1, Qt::Uninitialized);
    const ssize_t got = fd < 0 ? -1 : ::read(fd, bytes.data(), size_t(bytes.size()));
    if (fd >= 0)
        ::close(fd);
    if (got < 0 || got > kMaxCdTextBytes)
        *problem = got < 0 ? QStringLiteral("cannot be read") : QStringLiteral("is too large for CD-Text");
    bytes.resize(got < 0 ? 0 : qsizetype(got));
    return bytes;
}

// Drives (and the tools that save their answer) put the data length, big
// endian, and two reserved bytes before the packs, and some a NUL after.
QByteArray packsOf(const QByteArray &file)
{
    const int headed = int(file.size()) - 4;
    const int length = headed > 0 ? (quint8(file[0]) << 8) | quint8(file[1]) : -1;
    if (headed > 0 && (headed % kPackBytes == 0 || headed % kPackBytes == 1) && length == file.size() - 2 - headed % kPackBytes)
        return file.mid(4, headed - headed % kPackBytes);
    return file.size() % kPackBytes == 0 ? file : QByteArray();
}
}  // namespace

DiscText readDiscText(CdIo_t *cdio, int first, int last)
{
    const cdtext_t *text = cdio ? cdio_get_cdtext(cdio) : nullptr;
    return text ? textOf(text, first, last) : DiscText{};
}

DiscText readCdTextFile(const QString &path, QString *problem)
{
    QByteArray packs = packsOf(readSmallFile(path, problem));
    if (!problem->isEmpty())
        return {};
    const std::unique_ptr<cdtext_t, void (*)(cdtext_t *)> text(cdtext_init(), cdtext_destroy);
    if (packs.isEmpty() || cdtext_data_init(text.get(), reinterpret_cast<uint8_t *>(packs.data()), size_t(packs.size())) != 0) {
        *problem = QStringLiteral("holds no CD-Text");
        return {};
    }
    const int first = cdtext_get_first_track(text.get()), last = cdtext_get_last_track(text.get());
    return textOf(text.get(), first, last);
}
