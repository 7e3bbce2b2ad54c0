// SPDX-License-Identifier: GPL-3.0-or-later
#include "paint_kit.h"
#include "palette.h"
#include "pictures.h"
#include "pixel_font.h"
#include "skin_fonts.h"
#include "strip_cells.h"

namespace {

// What a band shows besides its arrow: the program badge, the loop sign's
// letter (or none), and the mode's name.
struct ModeBand {
    bool programBadge;
    const char *loopLetter;
    const char *name;
};
const ModeBand kBands[ModeStripCells::BandCount] = {
    {false, nullptr, "通常再生"},
    {false, "T", "トラックリピート"},
    {false, "C", "ＣＤリピート"},
    {true, nullptr, "プログラム再生"},
    {true, "P", "プログラムリピート"},
};

constexpr int kGap = 2;

QPainterPath arrow(QPoint at)
{
    QPainterPath path;
    path.addPolygon(QPolygonF({at + QPointF(0, 2), at + QPointF(4, 5), at + QPointF(0, 8)}));
    path.closeSubpath();
    return path;
}
constexpr int kArrowWidth = 5;

// A loop of the repeat modes, its arrowhead on top, the letter inside.
constexpr const char *kLoop[] = {
    ".......#...", ".########..", "#.........#", "#.........#", "#.........#",
    "#.........#", "#.........#", "#.........#", ".#########.",
};
constexpr int kLoopWidth = 11;

QPainterPath loopSign(QPoint at)
{
    return bitmapPath(kLoop, int(std::size(kLoop)), at);
}

QPainterPath loopLetter(QPoint at, const char *letter)
{
    return PixelFont::path(letter, at + QPoint(4, 3));
}

// The letter P cut out of a small dark tab.
constexpr const char *kBadge[] = {".#####.", "#######", "#######", "#######", "#######",
                                  "#######", "#######", "#######", ".#####."};
constexpr int kBadgeWidth = 7;

QPainterPath programBadge(QPoint at)
{
    return bitmapPath(kBadge, int(std::size(kBadge)), at);
}

QPainterPath badgeLetter(QPoint at)
{
    return PixelFont::path("P", at + QPoint(2, 2));
}

QFont nameFont()
{
    // Outlines this small blur into grey; whole pixels stay legible.
    QFont font = skinJapaneseFont(10);
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::NoAntialias));
    return font;
}

// The inside of the loop, kept clear of the shadow the loop casts.
QPainterPath loopInside(QPoint at)
{
    QPainterPath path;
    path.addRect(at.x() + 1, at.y() + 2, kLoopWidth - 2, 6);
    return path;
}

void drawBand(QPainter &painter, const ModeBand &band, int top)
{
    // The signs cast shadows; the letters set into them do not, or the
    // shadow would fill their counters.
    QPainterPath signs = arrow(QPoint(1, top));
    QPainterPath insides;
    QPainterPath blackLetters;
    QPainterPath cutLetters;
    int x = 1 + kArrowWidth + kGap;
    if (band.programBadge) {
        signs = signs.united(programBadge(QPoint(x, top)));
        cutLetters = badgeLetter(QPoint(x, top));
        x += kBadgeWidth + kGap;
    }
    if (band.loopLetter) {
        signs = signs.united(loopSign(QPoint(x, top)));
        insides = loopInside(QPoint(x, top));
        blackLetters = loopLetter(QPoint(x, top), band.loopLetter);
        x += kLoopWidth + kGap;
    }
    drawSign(painter, signs.united(blackLetters), signs.united(insides), Palette::Glyph, Palette::GlyphShadow,
             Palette::Strip);
    painter.fillPath(cutLetters, Palette::Strip);
    const Shape name = textShape(QString::fromUtf8(band.name), nameFont(), QPointF(x + 1, top + 9));
    drawShadowed(painter, name, Palette::Glyph, Palette::GlyphShadow);
}

}  // namespace

QImage drawModeStrip()
{
    return paintStrip(ModeStripCells::StripSize, [](QPainter &painter) {
        for (int i = 0; i < ModeStripCells::BandCount; ++i)
            drawBand(painter, kBands[i], ModeStripCells::band(i).top());
        for (const int y : ModeStripCells::SeparatorY)
            fillPixels(painter, 0, y, ModeStripCells::StripSize.width(), 1, Palette::StripSeparator);
    });
}
