// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class DiscToc;

// What MusicBrainz knows a disc by: its disc ID, and the table of contents
// as its fuzzy look-up takes it ("first last lead-out offset..." in sectors
// from the start of the disc's lead-in, joined by '+'). Both empty for a
// disc without audio.
struct DiscIdentity {
    QString id;
    QString toc;

    bool isEmpty() const { return id.isEmpty(); }
};

// A pure function of the table of contents, so a drive and an image of its
// disc give the same identity.
DiscIdentity discIdentity(const DiscToc &toc);
