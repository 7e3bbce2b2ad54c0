// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc_shape.h"
#include "paint_kit.h"
#include "palette.h"
#include "pictures.h"
#include "skin_fonts.h"
#include "skin_layout.h"

#include <QPainterPath>

namespace {

// The light-blue panel set into the field: a dark rim, shaded along the
// top and left inside it and catching light at the bottom and right.
QImage panelBase()
{
    const QRect area = skinElement("PicD").rect;
    QImage image = backdrop(area);
    QPainter painter(&image);
    preparePainter(painter);
    drawPanelPlate(painter, QRectF(0, 0, area.width(), area.height()), 7);
    return image;
}

// A one-pixel frame set into the panel around a child, as the panel's
// own shading: dark above and left, light below and right.
void drawInset(QPainter &painter, QRect child)
{
    const QRect frame = child.adjusted(-1, -1, 1, 1);
    fillPixels(painter, frame.left(), frame.top(), frame.width(), 1, Palette::PanelInnerShade);
    fillPixels(painter, frame.left(), frame.top(), 1, frame.height(), Palette::PanelInnerShade);
    fillPixels(painter, frame.left() + 1, frame.bottom(), frame.width() - 1, 1, Palette::PanelInnerLight);
    fillPixels(painter, frame.right(), frame.top() + 1, 1, frame.height() - 1, Palette::PanelInnerLight);
}

void drawPlayModeHeading(QPainter &painter)
{
    const QFont font = skinLatinFont(9, QFont::Bold);
    const QString heading = QStringLiteral("PlayMode");
    const QPointF baseline(9, 63);
    drawPrint(painter, heading, font, baseline);
    const int ruleLeft = int(baseline.x() + textWidth(heading, font)) + 4;
    fillPixels(painter, ruleLeft, 59, 170 - ruleLeft, 1, Palette::Print);
    fillPixels(painter, ruleLeft, 60, 170 - ruleLeft, 1, Palette::PrintLight);
}

}  // namespace

QImage drawDiscPanel()
{
    QImage image = panelBase();
    QPainter painter(&image);
    preparePainter(painter);
    drawInset(painter, skinElement("DspT").rect);
    const QFont caption = skinLatinFont(9, QFont::Bold);
    // Each caption stands over the first row's digits it names.
    const QRect digits = skinElement("DspT").rect;
    drawPrint(painter, QStringLiteral("Track"), caption, QPointF(digits.left(), 16));
    const QString time = QStringLiteral("Time");
    const qreal elapsedCentre = digits.left() + (27 + 78) / 2.0;
    drawPrint(painter, time, caption, QPointF(elapsedCentre - textWidth(time, caption) / 2, 16));
    drawPlayModeHeading(painter);
    return image;
}

QImage drawIdlePanel()
{
    QImage image = panelBase();
    QPainter painter(&image);
    preparePainter(painter);
    drawShadowed(painter, pathShape(compactDisc(QPointF(40, 50), 26, 0)), Palette::Print, Palette::PrintLight,
                 QPoint(0, 1));
    QFont name = skinLatinFont(26, QFont::Bold);
    name.setItalic(true);
    drawPrint(painter, QStringLiteral("VELOR"), name, QPointF(76, 48));
    drawPrint(painter, QStringLiteral("CD Player"), skinLatinFont(13, QFont::Bold), QPointF(80, 66));
    drawPrint(painter, QStringLiteral("Version " VELOR_VERSION), skinLatinFont(9), QPointF(80, 88));
    return image;
}
