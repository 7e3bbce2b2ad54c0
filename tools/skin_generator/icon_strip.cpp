// SPDX-License-Identifier: GPL-3.0-or-later
#include "paint_kit.h"
#include "palette.h"
#include "pictures.h"
#include "strip_cells.h"

namespace {

// Three phases a sixth of a circle apart make the two reflections go round.
// The three phases of the turning disc: two reflections opposite each
// other, a sixth of a turn further on in each phase.
constexpr int kDiscRows = 15;
constexpr const char *kDiscFrames[3][kDiscRows] = {
    {".....#####.....", "...##.....##...", "..#......##.#..", ".#.......###.#.", ".#........##.#.",
     "#.........#...#", "#.....###.....#", "#.....#.#.....#", "#.....###.....#", "#...#.........#",
     ".#.##........#.", ".#.###.......#.", "..#.##......#..", "...##.....##...", ".....#####....."},
    {".....#####.....", "...##.....##...", "..#..###....#..", ".#..####.....#.", ".#...###.....#.",
     "#.............#", "#.....###.....#", "#.....#.#.....#", "#.....###.....#", "#.............#",
     ".#.....###...#.", ".#.....####..#.", "..#....###..#..", "...##.....##...", ".....#####....."},
    {".....#####.....", "...##.....##...", "..#.........#..", ".#...........#.", ".#...........#.",
     "#.##..........#", "#.###.###.....#", "#.###.#.#.###.#", "#.....###.###.#", "#..........##.#",
     ".#...........#.", ".#...........#.", "..#.........#..", "...##.....##...", ".....#####....."},
};

QPainterPath rect(QRect cell, int x, int y, int w, int h)
{
    QPainterPath path;
    path.addRect(cell.x() + x, cell.y() + y, w, h);
    return path;
}

QPainterPath playIcon(QRect cell)
{
    QPainterPath path;
    const QPointF at = cell.topLeft();
    path.addPolygon(QPolygonF({at + QPointF(4, 3), at + QPointF(13, 7.5), at + QPointF(4, 12)}));
    path.closeSubpath();
    return path;
}

QPainterPath speakerBody(QRect cell)
{
    QPainterPath path = rect(cell, 2, 5, 3, 5);
    const QPointF at = cell.topLeft();
    QPainterPath cone;
    cone.addPolygon(QPolygonF({at + QPointF(5, 5), at + QPointF(10, 1), at + QPointF(10, 14), at + QPointF(5, 10)}));
    cone.closeSubpath();
    return path.united(cone);
}

QPainterPath soundWaves(QRect cell)
{
    QPainterPath waves;
    const QPointF centre = cell.topLeft() + QPointF(9.5, 7.5);
    for (const qreal radius : {4.5, 7.5, 10.5}) {
        QPainterPath arc;
        const QRectF box(centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius));
        arc.arcMoveTo(box, -40);
        arc.arcTo(box, -40, 80);
        QPainterPathStroker stroke;
        stroke.setWidth(1.3);
        stroke.setCapStyle(Qt::FlatCap);
        waves = waves.united(stroke.createStroke(arc));
    }
    return waves;
}

QPainterPath muteCross(QRect cell)
{
    QPainterPath cross;
    const QPointF at = cell.topLeft();
    cross.moveTo(at + QPointF(13, 5));
    cross.lineTo(at + QPointF(19, 11));
    cross.moveTo(at + QPointF(19, 5));
    cross.lineTo(at + QPointF(13, 11));
    QPainterPathStroker stroke;
    stroke.setWidth(1.6);
    return stroke.createStroke(cross);
}

constexpr const char *kKeyboard[] = {
    ".#######################.",
    "#.......................#",
    "#.##.##.##.##.##.##.##..#",
    "#.......................#",
    "#...##.##.##.##.##.##...#",
    "#.......................#",
    "#.....#############.....#",
    "#.......................#",
    ".#######################.",
};

void drawDiscFrames(QPainter &painter)
{
    for (int phase = 0; phase < 3; ++phase) {
        const char *const *rows = kDiscFrames[phase];
        const QPoint at = IconStripCells::DiscFrame[phase].topLeft();
        drawSign(painter, bitmapPath(rows, kDiscRows, at), bitmapSilhouette(rows, kDiscRows, at), Palette::Glyph,
                 Palette::GlyphShadow, Palette::Strip);
    }
}

}  // namespace

QImage drawIconStrip()
{
    return paintStrip(IconStripCells::StripSize, [](QPainter &painter) {
        using namespace IconStripCells;
        // Icons this small read best on whole pixels, without grey edges.
        painter.setRenderHint(QPainter::Antialiasing, false);
        const auto ink = [&painter](const QPainterPath &path) {
            drawShadowed(painter, pathShape(path), Palette::Glyph, Palette::GlyphShadow);
        };
        drawDiscFrames(painter);
        ink(playIcon(Play));
        ink(rect(Stop, 4, 4, 8, 8));
        ink(rect(Pause, 4, 3, 3, 10).united(rect(Pause, 9, 3, 3, 10)));
        ink(speakerBody(Speaker).united(soundWaves(Speaker)));
        ink(speakerBody(SpeakerMuted).united(muteCross(SpeakerMuted)));
        ink(bitmapPath(kKeyboard, int(std::size(kKeyboard)), Keyboard.topLeft() + QPoint(1, 1)));
    });
}
