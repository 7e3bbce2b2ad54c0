// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QString>

// The fonts the pictures are drawn with. Exactly these and no fallback:
// another font would silently draw another skin.
QFont skinLatinFont(int pixelSize, QFont::Weight weight = QFont::Normal);
QFont skinJapaneseFont(int pixelSize);

// The families of those fonts that are not installed; empty when all are.
QString missingSkinFonts();
