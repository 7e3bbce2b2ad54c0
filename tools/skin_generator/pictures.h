#pragma once

#include <QImage>
#include <QRect>

// Each picture of the default skin, drawn from nothing.

QImage drawBackground();

// The background under an element of the main window: pictures with
// rounded corners show the window through them.
QImage backdrop(QRect rect);

// The face of the button element that shows this picture file.
QImage drawButton(const char *file);

QImage drawDiscPanel();
QImage drawIdlePanel();

QImage drawDigitStrip();
QImage drawIconStrip();
QImage drawModeStrip();
