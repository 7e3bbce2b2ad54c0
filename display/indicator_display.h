// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "player_state.h"

#include <QImage>

#include <functional>

class Surface;

// Reads the device's mode afresh each time it is asked.
using ModeReader = std::function<qint32()>;

// Redraws the indicator row of the disc panel PicD: mode band, keyboard
// lamp, turning disc, transport icon and speaker. While the device plays
// the disc advances one phase (s.AnmFr 1 -> 2 -> 3 -> 1).
void DrawIndicators(Surface *PicD, const QImage &PicParts1, const QImage &PicPM, PlayerState &s,
                    const ModeReader &readMode);

// Draws the disc standing still in phase s.AnmFr, without advancing it.
void DrawStillDisc(Surface *PicD, const QImage &PicParts1, const PlayerState &s);
