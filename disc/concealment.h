// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// Fills frames 16-bit stereo frames on the straight line, per channel,
// from the frame before them to the frame after them (both 4 bytes, little
// endian, as on the disc), leaving both ends out: what a CD player does
// over a scratch, where silence would click.
void interpolateFrames(const char *before, const char *after, char *out, qint64 frames);
