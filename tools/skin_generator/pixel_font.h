// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPainterPath>
#include <QPoint>

// A 3 x 5 pixel font for the marks too small for any outline font: the
// seconds under the seek arrows and the letters of the mode signs.
namespace PixelFont {
inline constexpr int GlyphWidth = 3;
inline constexpr int GlyphHeight = 5;

// Width of `text` with one pixel between glyphs.
int width(const char *text);

// The pixels of `text`, its top left pixel at `topLeft`.
QPainterPath path(const char *text, QPoint topLeft);
}  // namespace PixelFont
