// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The window's design sizes are in twips, 15 to the pixel.
constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}
