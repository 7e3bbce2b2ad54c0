// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

// The application's icon in the skin's style: the blue field of the main
// window with the display's disc on it. The PNGs and the SVG are drawn from
// the same shapes, on a 256-unit square.

QImage drawAppIcon(int size);
QString appIconSvg();

// The sizes of the hicolor theme the install provides.
inline constexpr int kAppIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
