// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

// A picture of the default skin, compiled into the program.
QImage skinPicture(const char *file);

// Decoding the main window's pictures is the longest step of its building:
// begun first thing, on a thread of its own, it runs beside the window
// system's start. A picture asked for later is decoded then.
void decodeSkinPicturesAhead();
