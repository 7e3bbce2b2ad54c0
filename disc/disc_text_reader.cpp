// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc_text_reader.h"

#include <cdio/cdio.h>
#include <cdio/cdtext.h>

namespace {
DiscText::Entry entry(const cdtext_t *text, track_t track)
{
    const auto field = [&](cdtext_field_t f) {
        return QString::fromUtf8(cdtext_get_const(text, f, track)).trimmed();
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
