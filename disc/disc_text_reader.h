// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "disc_text.h"

typedef struct _CdIo CdIo_t;

// Reads the CD-Text of an opened disc, tracks first..last; libcdio gives it
// as UTF-8 whatever the disc's character set.
DiscText readDiscText(CdIo_t *cdio, int first, int last);

// Reads a CD-Text file as a cue sheet's CDTEXTFILE names it: the binary
// packs of a disc's lead-in, with or without the 4-byte header a drive puts
// before them. Empty, with problem set, when it holds none.
DiscText readCdTextFile(const QString &path, QString *problem);
