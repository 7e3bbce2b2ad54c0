// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "found_release.h"

#include <QByteArray>

struct ReleaseAnswer {
    enum class Kind { Found, NoRelease, Malformed };
    Kind kind = Kind::Malformed;
    FoundRelease release;
};

// Reads the web service's JSON answer to a disc ID or fuzzy TOC look-up
// (inc=artist-credits+recordings) and chooses one release for the disc:
//  1. a medium that carries this disc ID, else (a fuzzy answer, which
//     lists releases whose track positions are near) a CD medium with the
//     disc's number of tracks; releases with neither are passed over;
//  2. of those releases, the earliest release date, since a reissue keeps
//     the original's titles while an earlier date rarely names a bootleg;
//     a release without a date comes after every dated one;
//  3. on a tie, the order the server listed them in.
// Track n of the medium is the disc's track first + n - 1.
ReleaseAnswer chooseRelease(const QByteArray &json, const QString &discId, int firstTrack, int trackCount);
