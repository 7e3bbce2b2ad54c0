#include "paint_kit.h"
#include "palette.h"
#include "pictures.h"
#include "skin_fonts.h"
#include "skin_layout.h"

namespace {

// The band left of the separator, inside the bevel.
constexpr QRect kBand{3, 3, 18, 133};
constexpr QRect kSeparator{21, 3, 2, 133};
constexpr QRect kField{23, 3, 250, 133};
// The baseline of the upright title, right of the band's middle.
constexpr qreal kTitleBaselineX = 16.0;

void drawField(QPainter &painter)
{
    // A faint fall of light from the top keeps the large field from looking flat.
    QLinearGradient light(0, kField.top(), 0, kField.bottom());
    light.setColorAt(0.0, Palette::FieldTop);
    light.setColorAt(0.5, Palette::Field);
    light.setColorAt(1.0, Palette::FieldBottom);
    painter.fillRect(kField, light);
}

void drawTitle(QPainter &painter)
{
    const QFont name = skinLatinFont(10, QFont::Bold);
    const QFont rest = skinLatinFont(9);
    const QString first = QStringLiteral("VELOR");
    const QString second = QStringLiteral(" CD Player");
    // Read from the foot upwards, centred on the drag handle below the
    // two small buttons.
    const QRect handle = skinElement("Label1").rect;
    const qreal length = textWidth(first, name) + textWidth(second, rest);
    painter.save();
    painter.translate(kTitleBaselineX, handle.center().y() + length / 2);
    painter.rotate(-90);
    drawShadowed(painter, textShape(first, name, QPointF(0, 0)), Palette::Title, Palette::TitleShadow);
    drawShadowed(painter, textShape(second, rest, QPointF(textWidth(first, name), 0)), Palette::Title,
                 Palette::TitleShadow);
    painter.restore();
}

}  // namespace

QImage drawBackground()
{
    QImage image = canvas(MainWindowSize, Palette::Field);
    QPainter painter(&image);
    preparePainter(painter);
    painter.setPen(Palette::Outline);
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawRect(image.rect().adjusted(0, 0, -1, -1));
    painter.setPen(Qt::NoPen);
    drawBevel(painter, image.rect().adjusted(1, 1, -1, -1), 2, Palette::BevelLight, Palette::BevelDark);
    painter.fillRect(kBand, Palette::Band);
    painter.fillRect(kSeparator, Palette::Separator);
    drawField(painter);
    painter.setRenderHint(QPainter::Antialiasing, true);
    drawTitle(painter);
    return image;
}

QImage backdrop(QRect rect)
{
    static const QImage background = drawBackground();
    return background.copy(rect);
}
