// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "disc_text.h"

#include <QString>

// The titles of one release as MusicBrainz gave them for a disc.
struct FoundRelease {
    QString releaseId;  // the release's MBID, which names its cover art
    DiscText text;
};
