// SPDX-License-Identifier: GPL-3.0-or-later
#include "paint_kit.h"
#include "palette.h"
#include "pictures.h"
#include "pixel_font.h"
#include "skin_fonts.h"
#include "skin_layout.h"

#include <cstring>
#include <vector>

namespace {

// Symbols are laid out on the face's pixel grid; a point (x, y) is the
// top left corner of pixel (x, y).
QPolygonF triangleRight(qreal left, qreal top, qreal width, qreal height)
{
    return QPolygonF({QPointF(left, top), QPointF(left + width, top + height / 2), QPointF(left, top + height)});
}

QPolygonF triangleLeft(qreal left, qreal top, qreal width, qreal height)
{
    return QPolygonF({QPointF(left + width, top), QPointF(left, top + height / 2), QPointF(left + width, top + height)});
}

Shape bar(int x, int y, int w, int h)
{
    return [=](QPainter &painter, const QColor &colour) { fillPixels(painter, x, y, w, h, colour); };
}

// A double arrow over the number of seconds it seeks.
Shape seekSymbol(bool forward, const char *seconds)
{
    const qreal left = 5;
    const qreal top = 4;
    const auto arrow = forward ? triangleRight : triangleLeft;
    const int numberLeft = (21 - PixelFont::width(seconds)) / 2;
    return together({polygonShape(arrow(left, top, 5, 8)), polygonShape(arrow(left + 5, top, 5, 8)),
                     pathShape(PixelFont::path(seconds, QPoint(numberLeft, 14)))});
}

// A button face: dark rim, one-pixel bevel, a face lit from above, and
// corners rounded off so that the window shows through them.
void drawFace(QImage &image)
{
    const QImage behind = image.copy();
    const QRect rim = image.rect();
    {
        QPainter painter(&image);
        QLinearGradient face(0, 0, 0, rim.height());
        face.setColorAt(0.0, Palette::FaceTop);
        face.setColorAt(1.0, Palette::FaceBottom);
        painter.fillRect(rim.adjusted(1, 1, -1, -1), face);
        painter.setPen(Palette::FaceRim);
        painter.drawRect(rim.adjusted(0, 0, -1, -1));
        drawBevel(painter, rim.adjusted(1, 1, -1, -1), 1, Palette::FaceLight, Palette::FaceDark);
    }
    for (const QPoint corner : {rim.topLeft(), rim.topRight(), rim.bottomLeft(), rim.bottomRight()})
        image.setPixel(corner, behind.pixel(corner));
}

// The name's room right of the key box.
constexpr QRect kNameArea{17, 2, 38, 12};

// The button's font, condensed as far as the longest name needs.
QFont nameFont(const QString &name)
{
    QFont font = skinLatinFont(8, QFont::Bold);
    for (const int stretch : {QFont::Unstretched, QFont::SemiCondensed, QFont::Condensed}) {
        font.setStretch(stretch);
        if (textWidth(name, font) <= kNameArea.width())
            break;
    }
    return font;
}

// A named button on the right: the key letter boxed, then the name.
Shape namedSymbol(const char *name, const char *key)
{
    const QFont keyFont = skinLatinFont(9, QFont::Bold);
    const QString text = QString::fromLatin1(name);
    const QFont font = nameFont(text);
    return [=](QPainter &painter, const QColor &colour) {
        painter.setPen(colour);
        painter.setBrush(Qt::NoBrush);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.drawRect(4, 3, 10, 10);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setFont(keyFont);
        painter.drawText(QRect(5, 4, 9, 9), Qt::AlignCenter, QString::fromLatin1(key));
        painter.setFont(font);
        painter.drawText(kNameArea, Qt::AlignLeft | Qt::AlignVCenter, text);
        painter.setPen(Qt::NoPen);
    };
}

}  // namespace

Shape crossSymbol(qreal from, qreal to)
{
    return [=](QPainter &painter, const QColor &colour) {
        painter.setPen(QPen(colour, 2.0, Qt::SolidLine, Qt::SquareCap));
        painter.drawLine(QPointF(from, from), QPointF(to, to));
        painter.drawLine(QPointF(to, from), QPointF(from, to));
        painter.setPen(Qt::NoPen);
    };
}

QImage drawButtonFace(const QImage &behind, const Shape &symbol)
{
    QImage image = behind;
    drawFace(image);
    QPainter painter(&image);
    preparePainter(painter);
    drawShadowed(painter, symbol, Palette::Symbol, Palette::SymbolShadow);
    return image;
}

namespace {

struct ButtonFace {
    const char *file;
    Shape symbol;
};

const std::vector<ButtonFace> &buttonFaces()
{
    static const std::vector<ButtonFace> faces = {
        {"button_exit.png", crossSymbol(5, 11)},
        {"button_minimize.png", bar(5, 11, 7, 2)},
        {"button_repeat.png", namedSymbol("REPEAT", "R")},
        {"button_mute.png", namedSymbol("MUTE", "S")},
        {"button_program.png", namedSymbol("PROGRAM", "P")},
        {"button_cancel.png", namedSymbol("P.CLEAR", "D")},
        {"button_info.png", namedSymbol("INFO", "V")},
        {"transport_prev.png", together({bar(6, 6, 2, 9), polygonShape(triangleLeft(8, 6, 7, 9))})},
        {"transport_next.png", together({polygonShape(triangleRight(6, 6, 7, 9)), bar(13, 6, 2, 9)})},
        {"transport_play.png", polygonShape(triangleRight(12, 5, 7, 11))},
        {"transport_pause.png", together({bar(7, 6, 2, 9), bar(12, 6, 2, 9)})},
        {"transport_stop.png", bar(6, 6, 9, 9)},
        {"transport_eject.png", together({polygonShape(QPolygonF({QPointF(5, 12), QPointF(10.5, 5), QPointF(16, 12)})),
                                          bar(5, 14, 11, 2)})},
        {"transport_back10.png", seekSymbol(false, "10")},
        {"transport_back5.png", seekSymbol(false, "5")},
        {"transport_fwd5.png", seekSymbol(true, "5")},
        {"transport_fwd10.png", seekSymbol(true, "10")},
    };
    return faces;
}

const SkinElement &elementShowing(const char *file)
{
    for (const SkinElement &element : skinLayout()) {
        if (element.picture && std::strcmp(element.picture, file) == 0)
            return element;
    }
    qFatal("no element shows %s", file);
}

}  // namespace

QImage drawButton(const char *file)
{
    const SkinElement &element = elementShowing(file);
    for (const ButtonFace &face : buttonFaces()) {
        if (std::strcmp(face.file, file) != 0)
            continue;
        return drawButtonFace(backdrop(element.rect), face.symbol);
    }
    qFatal("no face for %s", file);
}
