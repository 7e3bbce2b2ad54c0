// SPDX-License-Identifier: GPL-3.0-or-later
#include "paint_kit.h"
#include "palette.h"
#include "pictures.h"
#include "skin_fonts.h"
#include "skin_layout.h"

namespace {

// The band left of the separator, inside the bevel.
constexpr QRect kBand{3, 3, 18, 133};
// The baseline of the upright title, right of the band's middle.
constexpr qreal kTitleBaselineX = 16.0;

// The frame every window of the skin has: black outline and a raised bevel.
void drawWindowFrame(QPainter &painter, QRect rect)
{
    painter.setPen(Palette::Outline);
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.setPen(Qt::NoPen);
    drawBevel(painter, rect.adjusted(1, 1, -1, -1), 2, Palette::BevelLight, Palette::BevelDark);
}

}  // namespace

QImage windowBackground(QSize size, int bandWidth)
{
    QImage image = canvas(size, Palette::Field);
    QPainter painter(&image);
    preparePainter(painter);
    drawWindowFrame(painter, image.rect());
    const int inner = size.height() - 6;
    painter.fillRect(QRect(3, 3, bandWidth, inner), Palette::Band);
    painter.fillRect(QRect(3 + bandWidth, 3, 2, inner), Palette::Separator);
    // A faint fall of light from the top keeps the large field from looking flat.
    const QRect field(5 + bandWidth, 3, size.width() - 8 - bandWidth, inner);
    QLinearGradient light(0, field.top(), 0, field.bottom());
    light.setColorAt(0.0, Palette::FieldTop);
    light.setColorAt(0.5, Palette::Field);
    light.setColorAt(1.0, Palette::FieldBottom);
    painter.fillRect(field, light);
    return image;
}

void drawUprightTitle(QPainter &painter, qreal baselineX, qreal centreY)
{
    const QFont name = skinLatinFont(10, QFont::Bold);
    const QFont rest = skinLatinFont(9);
    const QString first = QStringLiteral("VELOR");
    const QString second = QStringLiteral(" CD Player");
    // Read from the foot upwards.
    const qreal length = textWidth(first, name) + textWidth(second, rest);
    painter.save();
    painter.translate(baselineX, centreY + length / 2);
    painter.rotate(-90);
    drawShadowed(painter, textShape(first, name, QPointF(0, 0)), Palette::Title, Palette::TitleShadow);
    drawShadowed(painter, textShape(second, rest, QPointF(textWidth(first, name), 0)), Palette::Title,
                 Palette::TitleShadow);
    painter.restore();
}

QImage drawBackground()
{
    QImage image = windowBackground(MainWindowSize, kBand.width());
    QPainter painter(&image);
    preparePainter(painter);
    // Centred on the drag handle below the two small buttons.
    drawUprightTitle(painter, kTitleBaselineX, skinElement("Label1").rect.center().y());
    return image;
}

QImage backdrop(QRect rect)
{
    static const QImage background = drawBackground();
    return background.copy(rect);
}
