// SPDX-License-Identifier: GPL-3.0-or-later
#include "app_icon.h"

#include "disc_shape.h"
#include "paint_kit.h"
#include "palette.h"

#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <vector>

namespace {
constexpr qreal kUnits = 256;

struct IconShape {
    QPainterPath path;
    QColor colour;
};

QPainterPath tile(qreal inset, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(inset, inset, kUnits - 2 * inset, kUnits - 2 * inset), radius, radius);
    return path;
}

QPainterPath playMark()
{
    QPainterPath path;
    path.moveTo(176, 170);
    path.lineTo(226, 199);
    path.lineTo(176, 228);
    path.closeSubpath();
    return path;
}

// Back to front: outline, bevel, field, then the disc and the play mark
// each over a darker copy of itself one unit down and right.
std::vector<IconShape> shapes()
{
    const QPainterPath disc = compactDisc(QPointF(120, 120), 92, 0);
    return {
        {tile(6, 44), Palette::Outline},
        {tile(12, 38), Palette::BevelLight},
        {tile(20, 30).translated(4, 4), Palette::BevelDark},
        {tile(20, 30), Palette::Field},
        {disc.translated(4, 4), Palette::PanelRim},
        {disc, Palette::Panel},
        {playMark().translated(4, 4), Palette::SymbolShadow},
        {playMark(), Palette::Symbol},
    };
}

QString svgPathData(const QPainterPath &path)
{
    QString data;
    QTextStream out(&data);
    out.setRealNumberPrecision(2);
    out.setRealNumberNotation(QTextStream::FixedNotation);
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            out << (i ? " Z M" : "M") << e.x << ' ' << e.y;
        } else if (e.isLineTo()) {
            out << " L" << e.x << ' ' << e.y;
        } else if (e.isCurveTo()) {
            const QPainterPath::Element c2 = path.elementAt(i + 1), to = path.elementAt(i + 2);
            out << " C" << e.x << ' ' << e.y << ' ' << c2.x << ' ' << c2.y << ' ' << to.x << ' ' << to.y;
            i += 2;
        }
    }
    out << " Z";
    return data;
}
}  // namespace

QImage drawAppIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    preparePainter(painter);
    painter.scale(size / kUnits, size / kUnits);
    for (const IconShape &shape : shapes())
        painter.fillPath(shape.path, shape.colour);
    return image;
}

QString appIconSvg()
{
    QString svg;
    QTextStream out(&svg);
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n";
    for (const IconShape &shape : shapes()) {
        const char *rule = shape.path.fillRule() == Qt::WindingFill ? "nonzero" : "evenodd";
        out << "  <path fill=\"" << shape.colour.name() << "\" fill-rule=\"" << rule << "\" d=\""
            << svgPathData(shape.path) << "\"/>\n";
    }
    out << "</svg>\n";
    return svg;
}
