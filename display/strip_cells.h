// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QSize>

// Cell maps of the three glyph strips. The drawing code copies these
// rectangles and the skin generator paints its glyphs into them, so a
// glyph can only ever be looked for where it was drawn.

// `digitStrip`: digits and the colon, all cells 15 high at y 0.
namespace DigitStripCells {
inline constexpr QSize StripSize{147, 16};
inline constexpr int CellHeight = 15;
inline constexpr int DigitWidth = 11;
inline constexpr QRect Blank{0, 0, DigitWidth, CellHeight};
inline constexpr QRect Colon{123, 0, 9, CellHeight};
// The colon's dots lie in these columns of the strip.
inline constexpr int ColonDotsLeft = 125;
inline constexpr int ColonDotsRight = 127;
// Rows a digit glyph (shadow included) may cover.
inline constexpr int GlyphTop = 3;
inline constexpr int GlyphBottom = 13;

// The only thing that selects a digit is its cell's x.
constexpr int digitX(int digit) { return DigitWidth * (digit + 1); }
constexpr QRect digit(int digit) { return {digitX(digit), 0, DigitWidth, CellHeight}; }
}  // namespace DigitStripCells

// `iconStrip`: the turning disc, transport icons, speaker and keyboard lamp.
namespace IconStripCells {
inline constexpr QSize StripSize{64, 66};
inline constexpr QRect DiscFrame[3] = {{0, 0, 16, 16}, {16, 0, 16, 16}, {32, 0, 16, 16}};
inline constexpr QRect Play{0, 17, 16, 16};
inline constexpr QRect Stop{17, 17, 16, 16};
inline constexpr QRect Pause{34, 17, 16, 16};
inline constexpr QRect Speaker{0, 33, 23, 16};
inline constexpr QRect SpeakerMuted{25, 33, 23, 16};
inline constexpr QRect Keyboard{0, 50, 27, 12};
inline constexpr QRect KeyboardOff{29, 50, 27, 12};
}  // namespace IconStripCells

// `modeStrip`: one 11-pixel band per play mode, white lines between them. A
// band is copied 129 wide although the strip is only 126 wide.
namespace ModeStripCells {
inline constexpr QSize StripSize{126, 59};
inline constexpr int BandCount = 5;
inline constexpr int BandHeight = 11;
inline constexpr int BandPitch = 12;
inline constexpr int CopyWidth = 129;
inline constexpr int SeparatorY[BandCount - 1] = {11, 23, 35, 47};

constexpr QRect band(int index) { return {0, BandPitch * index, CopyWidth, BandHeight}; }
}  // namespace ModeStripCells

// The colour behind every glyph, and the colours of the glyphs.
namespace StripColours {
inline constexpr unsigned Background = 0xff4bc6fa;  // RGB 75, 198, 250
inline constexpr unsigned Glyph = 0xff000000;
inline constexpr unsigned Shadow = 0xff035e85;      // RGB 3, 94, 133
}  // namespace StripColours
