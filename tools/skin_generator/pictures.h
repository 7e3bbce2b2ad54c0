// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "paint_kit.h"

#include <QImage>
#include <QPainter>
#include <QRect>

// Each picture of the default skin, drawn from nothing.

QImage drawBackground();

// A window's background: frame, the dark band its drag handle lies on at
// the left, a separator, and the field.
QImage windowBackground(QSize size, int bandWidth);

// The player's name read upwards on a band, centred on `centreY`.
void drawUprightTitle(QPainter &painter, qreal baselineX, qreal centreY);

// The background under an element of the main window: pictures with
// rounded corners show the window through them.
QImage backdrop(QRect rect);

// The face of the button element that shows this picture file.
QImage drawButton(const char *file);

// A button face drawn over what lies behind it, with its symbol.
QImage drawButtonFace(const QImage &behind, const Shape &symbol);
Shape crossSymbol(qreal from, qreal to);

// The product-information window's pictures.
QImage drawAboutBackground();
QImage drawAboutClose();
QImage drawAboutIcon();
QImage drawAboutMaker();

QImage drawDiscPanel();
QImage drawIdlePanel();

QImage drawDigitStrip();
QImage drawIconStrip();
QImage drawModeStrip();
