// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc_shape.h"
#include "paint_kit.h"
#include "palette.h"
#include "pictures.h"
#include "product_layout.h"
#include "skin_fonts.h"

namespace {

// The band under the drag strip, as wide as the strip.
QRect strip()
{
    return productElement("Label6").rect();
}
// Between the name and credits above and the pages below.
constexpr int kRuleTop = 91;

QImage behind(const char *element)
{
    static const QImage background = drawAboutBackground();
    return background.copy(productElement(element).rect());
}

}  // namespace

QImage drawAboutBackground()
{
    const QRect band = strip();
    QImage image = windowBackground(ProductWindowSize, band.width());
    QPainter painter(&image);
    preparePainter(painter);
    const int fieldLeft = band.right() + 3;
    fillPixels(painter, fieldLeft + 6, kRuleTop, ProductWindowSize.width() - fieldLeft - 15, 1, Palette::Separator);
    fillPixels(painter, fieldLeft + 6, kRuleTop + 1, ProductWindowSize.width() - fieldLeft - 15, 1, Palette::FaceLight);
    // Below the close picture, on the rest of the strip.
    const QRect close = productElement("Picture1").rect();
    const qreal titleCentre = (close.bottom() + band.bottom()) / 2.0;
    drawUprightTitle(painter, band.center().x() + 4.5, titleCentre);
    return image;
}

QImage drawAboutClose()
{
    return drawButtonFace(behind("Picture1"), crossSymbol(5, 12));
}

QImage drawAboutIcon()
{
    QImage icon = behind("Image1").copy(0, 0, 32, 32);
    return drawButtonFace(icon, pathShape(compactDisc(QPointF(16, 16), 11, 30)));
}

QImage drawAboutMaker()
{
    QImage image = behind("Image2");
    QPainter painter(&image);
    preparePainter(painter);
    drawPanelPlate(painter, QRectF(image.rect()), 5);
    QFont name = skinLatinFont(18, QFont::Bold);
    name.setItalic(true);
    const QString text = QStringLiteral("VELOR");
    drawPrint(painter, text, name, QPointF((image.width() - textWidth(text, name)) / 2, 21));
    return image;
}
