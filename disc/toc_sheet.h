// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sheet_image.h"

#include <QByteArray>

// Reads a cdrdao toc file. Audio from raw (big-endian) and WAVE files (FILE,
// AUDIOFILE, with SWAP, #offset, start and length in samples or MM:SS:FF;
// DATAFILE in an audio track, its length in bytes or MM:SS:FF), SILENCE,
// ZERO, DATAFILE, PREGAP, START and INDEX are laid out as cdrdao lays them
// out; what the player cannot lay out faithfully (FIFO, standard input,
// sub-channel data, audio FILE in a data track) is refused, naming the
// feature and the line, rather than shown with wrong times.
SheetResult readTocFile(const QByteArray &text, const DataFileLookup &lookup);
