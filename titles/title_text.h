// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "disc_text.h"

// One line for a track: "03 Title — Performer", the disc's performer where
// the track names none; empty when the track has no title.
QString trackLine(int track, const DiscText &text);
