// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRect>
#include <QString>

#include <functional>
#include <vector>

// A shape that can be painted in any one colour.
using Shape = std::function<void(QPainter &painter, const QColor &colour)>;

// A 24-bit canvas filled with one colour.
QImage canvas(QSize size, const QColor &fill);

// A glyph strip: its background colour, painted on by `paint`.
QImage paintStrip(QSize size, const std::function<void(QPainter &painter)> &paint);

// A painter with the settings every picture of the skin is drawn with.
void preparePainter(QPainter &painter);

// Fills one pixel-exact rectangle (x, y are pixels, not edges).
void fillPixels(QPainter &painter, int x, int y, int w, int h, const QColor &colour);

// A raised frame `width` pixels wide: light top and left, dark bottom and
// right.
void drawBevel(QPainter &painter, QRect rect, int width, const QColor &light, const QColor &dark);

// Paints the shape in `shadow` offset by (dx, dy), then in `colour` on top.
void drawShadowed(QPainter &painter, const Shape &shape, const QColor &colour, const QColor &shadow,
                  QPoint offset = QPoint(1, 1));

// Ink on a sign whose whole silhouette casts the shadow, the inside of the
// silhouette kept clear in `ground`: the shadow falls outside the sign
// only and never clutters its counters.
void drawSign(QPainter &painter, const QPainterPath &ink, const QPainterPath &silhouette, const QColor &colour,
              const QColor &shadow, const QColor &ground);

// A filled outline; (x, y) is the top left corner of pixel (x, y).
Shape pathShape(const QPainterPath &path);
Shape polygonShape(const QPolygonF &polygon);

// The pixels of a small bitmap, '#' for ink, as an outline from `topLeft`.
QPainterPath bitmapPath(const char *const *rows, int rowCount, QPoint topLeft);

// What a bitmap covers: each row filled from its first ink to its last.
QPainterPath bitmapSilhouette(const char *const *rows, int rowCount, QPoint topLeft);

// Several shapes painted as one.
Shape together(std::vector<Shape> shapes);

// A text whose baseline starts at `origin`.
Shape textShape(const QString &text, const QFont &font, QPointF origin);

// The width in pixels that `text` advances in `font`.
qreal textWidth(const QString &text, const QFont &font);

// A rectangle with rounded corners.
QPainterPath roundedPath(QRectF rect, qreal radius);

// The light-blue plate of the display panels: a dark rim, shaded along
// the top and left inside it and catching light at the bottom and right.
void drawPanelPlate(QPainter &painter, QRectF rect, qreal radius);

// Print on a panel plate, with a light edge below it as if pressed into it.
void drawPrint(QPainter &painter, const QString &text, const QFont &font, QPointF baseline);
