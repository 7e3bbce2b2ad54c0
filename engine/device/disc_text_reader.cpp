#include "disc_text_reader.h"

#include <QStringDecoder>

#include <algorithm>

#include <cdio/cdio.h>
#include <cdio/cdtext.h>

namespace {
// libcdio takes a cue sheet's texts for Latin-1, but sheets are mostly
// written in UTF-8 now: such a text comes back encoded twice. Its Latin-1
// bytes are then valid UTF-8, which real Latin-1 text practically never is.
QString undoDoubleEncoding(const QString &text)
{
    const auto beyond = [&text](ushort limit) {
        return std::any_of(text.cbegin(), text.cend(), [limit](QChar c) { return c.unicode() > limit; });
    };
    if (!beyond(0x7F) || beyond(0xFF))
        return text;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(text.toLatin1());
    return utf8.hasError() ? text : decoded;
}

DiscText::Entry entry(const cdtext_t *text, track_t track)
{
    const auto field = [&](cdtext_field_t f) {
        return undoDoubleEncoding(QString::fromUtf8(cdtext_get_const(text, f, track)).trimmed());
    };
    return {field(CDTEXT_FIELD_TITLE), field(CDTEXT_FIELD_PERFORMER)};
}
}  // namespace

DiscText readDiscText(CdIo_t *cdio, int first, int last)
{
    DiscText result;
    const cdtext_t *text = cdio ? cdio_get_cdtext(cdio) : nullptr;
    if (!text)
        return result;
    result.album = entry(text, 0);
    for (int n = first; n <= last; ++n) {
        const DiscText::Entry e = entry(text, track_t(n));
        if (!(e == DiscText::Entry{}))
            result.tracks[n] = e;
    }
    return result;
}
