// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

// A picture of the default skin, compiled into the program.
QImage skinPicture(const char *file);
