// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sheet_image.h"

#include <QByteArray>

// Reads a cue sheet: FILE, TRACK, INDEX, PREGAP and POSTGAP lay out the disc,
// the rest (titles, flags, catalogue numbers, remarks) is left alone. Data
// files are BINARY (little-endian), MOTOROLA (big-endian) or WAVE. INDEX
// times count from the start of the FILE they follow; a sheet whose times go
// back or point past the end of their file is refused with the line named.
SheetResult readCueSheet(const QByteArray &text, const DataFileLookup &lookup);
