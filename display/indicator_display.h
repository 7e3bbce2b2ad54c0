// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "player_state.h"

#include <QImage>

#include <functional>

class Surface;

// Reads the device's mode afresh each time it is asked.
using ModeReader = std::function<qint32()>;

// Redraws the indicator row of the disc panel: mode band, keyboard
// lamp, turning disc, transport icon and speaker. While the device plays
// the disc advances one phase (s.discFrame 1 -> 2 -> 3 -> 1).
void drawIndicators(Surface *discPanel, const QImage &iconStrip, const QImage &modeStrip, PlayerState &s,
                    const ModeReader &readMode);

// Draws the disc standing still in phase s.discFrame, without advancing it.
void drawStillDisc(Surface *discPanel, const QImage &iconStrip, const PlayerState &s);
