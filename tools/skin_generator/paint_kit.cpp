// SPDX-License-Identifier: GPL-3.0-or-later
#include "paint_kit.h"

#include "palette.h"

#include <QFontMetricsF>

QImage canvas(QSize size, const QColor &fill)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

QImage paintStrip(QSize size, const std::function<void(QPainter &painter)> &paint)
{
    QImage image = canvas(size, Palette::Strip);
    QPainter painter(&image);
    preparePainter(painter);
    paint(painter);
    painter.end();
    return image;
}

void preparePainter(QPainter &painter)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setPen(Qt::NoPen);
}

void fillPixels(QPainter &painter, int x, int y, int w, int h, const QColor &colour)
{
    painter.fillRect(QRect(x, y, w, h), colour);
}

void drawBevel(QPainter &painter, QRect rect, int width, const QColor &light, const QColor &dark)
{
    for (int i = 0; i < width; ++i) {
        const QRect r = rect.adjusted(i, i, -i, -i);
        fillPixels(painter, r.left(), r.top(), r.width() - 1, 1, light);
        fillPixels(painter, r.left(), r.top() + 1, 1, r.height() - 2, light);
        fillPixels(painter, r.left() + 1, r.bottom(), r.width() - 1, 1, dark);
        fillPixels(painter, r.right(), r.top() + 1, 1, r.height() - 1, dark);
        // Where the two sides meet, top right and bottom left, the light
        // side takes the upper corner and the dark side the lower one.
        fillPixels(painter, r.right(), r.top(), 1, 1, light);
        fillPixels(painter, r.left(), r.bottom(), 1, 1, dark);
    }
}

void drawShadowed(QPainter &painter, const Shape &shape, const QColor &colour, const QColor &shadow, QPoint offset)
{
    painter.save();
    painter.translate(offset);
    shape(painter, shadow);
    painter.restore();
    shape(painter, colour);
}

void drawSign(QPainter &painter, const QPainterPath &ink, const QPainterPath &silhouette, const QColor &colour,
              const QColor &shadow, const QColor &ground)
{
    painter.fillPath(silhouette.translated(1, 1), shadow);
    painter.fillPath(silhouette, ground);
    painter.fillPath(ink, colour);
}

Shape pathShape(const QPainterPath &path)
{
    return [path](QPainter &painter, const QColor &colour) { painter.fillPath(path, colour); };
}

Shape polygonShape(const QPolygonF &polygon)
{
    QPainterPath path;
    path.addPolygon(polygon);
    path.closeSubpath();
    return pathShape(path);
}

QPainterPath bitmapPath(const char *const *rows, int rowCount, QPoint topLeft)
{
    QPainterPath path;
    for (int row = 0; row < rowCount; ++row) {
        for (int col = 0; rows[row][col] != '\0'; ++col) {
            if (rows[row][col] == '#')
                path.addRect(topLeft.x() + col, topLeft.y() + row, 1, 1);
        }
    }
    // Neighbouring squares must merge, not cancel each other out.
    return path.simplified();
}

QPainterPath bitmapSilhouette(const char *const *rows, int rowCount, QPoint topLeft)
{
    QPainterPath path;
    for (int row = 0; row < rowCount; ++row) {
        const QByteArray ink(rows[row]);
        const int first = ink.indexOf('#');
        if (first >= 0)
            path.addRect(topLeft.x() + first, topLeft.y() + row, ink.lastIndexOf('#') - first + 1, 1);
    }
    return path.simplified();
}

Shape together(std::vector<Shape> shapes)
{
    return [shapes](QPainter &painter, const QColor &colour) {
        for (const Shape &shape : shapes)
            shape(painter, colour);
    };
}

Shape textShape(const QString &text, const QFont &font, QPointF origin)
{
    return [text, font, origin](QPainter &painter, const QColor &colour) {
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(origin, text);
        painter.setPen(Qt::NoPen);
    };
}

qreal textWidth(const QString &text, const QFont &font)
{
    return QFontMetricsF(font).horizontalAdvance(text);
}

QPainterPath roundedPath(QRectF rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

void drawPanelPlate(QPainter &painter, QRectF rect, qreal radius)
{
    painter.fillPath(roundedPath(rect, radius), Palette::PanelRim);
    painter.fillPath(roundedPath(rect.adjusted(1, 1, -1, -1), radius - 1), Palette::PanelInnerShade);
    painter.fillPath(roundedPath(rect.adjusted(2, 2, -1, -1), radius - 2), Palette::PanelInnerLight);
    painter.fillPath(roundedPath(rect.adjusted(2, 2, -2, -2), radius - 2), Palette::Panel);
}

void drawPrint(QPainter &painter, const QString &text, const QFont &font, QPointF baseline)
{
    drawShadowed(painter, textShape(text, font, baseline), Palette::Print, Palette::PrintLight, QPoint(0, 1));
}
