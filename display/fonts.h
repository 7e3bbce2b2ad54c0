// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

// The player's texts were laid out for "ＭＳ ゴシック"; on Linux that name
// and its Latin spelling resolve to IPAGothic (or Noto Sans CJK JP).
// Call once after the application object exists; later calls do nothing.
void installFontSubstitutions();

// The font of the Japanese texts, at a pixel size.
QFont japaneseFont(int pixelSize);

// The font of Latin texts (captions, names on the buttons).
QFont latinFont(int pixelSize, QFont::Weight weight = QFont::Normal);

// The largest Japanese font whose lines fit into the given height.
QFont japaneseFontFitting(int height);
