// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc_text.h"

namespace {
DiscText::Entry filledEntry(const DiscText::Entry &trusted, const DiscText::Entry &other)
{
    return {trusted.title.isEmpty() ? other.title : trusted.title,
            trusted.performer.isEmpty() ? other.performer : trusted.performer};
}
}  // namespace

DiscText filledFrom(const DiscText &trusted, const DiscText &other)
{
    DiscText filled = trusted;
    filled.album = filledEntry(trusted.album, other.album);
    for (const auto &[number, entry] : other.tracks)
        filled.tracks[number] = filledEntry(trusted.track(number), entry);
    return filled;
}
