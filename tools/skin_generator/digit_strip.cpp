// SPDX-License-Identifier: GPL-3.0-or-later
#include "paint_kit.h"
#include "palette.h"
#include "pictures.h"
#include "strip_cells.h"

namespace {

constexpr int kGlyphRows = 10;

// Upright bold digits, two-pixel strokes; they are slanted when drawn.
constexpr const char *kDigits[10][kGlyphRows] = {
    {".####.", "##..##", "##..##", "##..##", "##..##", "##..##", "##..##", "##..##", "##..##", ".####."},
    {"...##.", "..###.", ".####.", "...##.", "...##.", "...##.", "...##.", "...##.", "...##.", "...##."},
    {".####.", "##..##", "....##", "....##", "...##.", "..##..", ".##...", "##....", "##....", "######"},
    {".####.", "##..##", "....##", "....##", "..###.", "....##", "....##", "....##", "##..##", ".####."},
    {"...##.", "..###.", ".####.", "##.##.", "##.##.", "######", "...##.", "...##.", "...##.", "...##."},
    {"######", "##....", "##....", "#####.", "....##", "....##", "....##", "....##", "##..##", ".####."},
    {"..###.", ".##...", "##....", "#####.", "##..##", "##..##", "##..##", "##..##", "##..##", ".####."},
    {"######", "....##", "....##", "...##.", "...##.", "..##..", "..##..", ".##...", ".##...", ".##..."},
    {".####.", "##..##", "##..##", "##..##", ".####.", "##..##", "##..##", "##..##", "##..##", ".####."},
    {".####.", "##..##", "##..##", "##..##", "##..##", ".#####", "....##", "....##", "...##.", ".###.."},
};

// Rows 3..12 carry the glyph, the shadow reaches row 13.
constexpr int kGlyphTop = DigitStripCells::GlyphTop;
// How far the top of a digit leans right of its foot.
constexpr qreal kSlant = 2.0;

Shape slanted(const QPainterPath &upright)
{
    // Lean about the foot so that the baseline stays where it is.
    const qreal footY = kGlyphTop + kGlyphRows;
    QTransform lean;
    lean.translate(0, footY);
    lean.shear(-kSlant / kGlyphRows, 0);
    lean.translate(0, -footY);
    return pathShape(lean.map(upright));
}

void drawDigit(QPainter &painter, int digit)
{
    const QPoint topLeft(DigitStripCells::digitX(digit) + 1, kGlyphTop);
    const Shape glyph = slanted(bitmapPath(kDigits[digit], kGlyphRows, topLeft));
    drawShadowed(painter, glyph, Palette::Glyph, Palette::GlyphShadow);
}

void drawColon(QPainter &painter)
{
    const int left = DigitStripCells::ColonDotsLeft;
    const Shape dots = together({
        [=](QPainter &p, const QColor &c) { fillPixels(p, left, 6, 2, 2, c); },
        [=](QPainter &p, const QColor &c) { fillPixels(p, left, 10, 2, 2, c); },
    });
    drawShadowed(painter, dots, Palette::Glyph, Palette::GlyphShadow);
}

}  // namespace

QImage drawDigitStrip()
{
    return paintStrip(DigitStripCells::StripSize, [](QPainter &painter) {
        for (int digit = 0; digit <= 9; ++digit)
            drawDigit(painter, digit);
        drawColon(painter);
    });
}
