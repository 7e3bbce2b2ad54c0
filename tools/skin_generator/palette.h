// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "strip_cells.h"

#include <QColor>

// The default skin's colours.
namespace Palette {
// Window frame and field.
inline const QColor Outline{0, 0, 0};
inline const QColor BevelLight{106, 147, 230};
inline const QColor BevelDark{15, 40, 94};
inline const QColor Band{21, 56, 130};
inline const QColor Separator{12, 31, 74};
inline const QColor FieldTop{37, 89, 198};
inline const QColor Field{34, 84, 191};
inline const QColor FieldBottom{31, 78, 182};
inline const QColor Title{150, 185, 245};
inline const QColor TitleShadow{8, 24, 60};

// Button faces.
inline const QColor FaceRim{8, 20, 52};
inline const QColor FaceLight{84, 124, 214};
inline const QColor FaceDark{12, 30, 76};
inline const QColor FaceTop{36, 72, 158};
inline const QColor FaceBottom{20, 48, 118};
inline const QColor Symbol{226, 238, 255};
inline const QColor SymbolShadow{6, 16, 44};

// Display panels.
inline const QColor Panel{79, 192, 255};
inline const QColor PanelRim{6, 32, 80};
inline const QColor PanelInnerShade{52, 150, 214};
inline const QColor PanelInnerLight{150, 222, 255};
inline const QColor Print{8, 54, 104};
inline const QColor PrintLight{140, 218, 255};

// Glyph strips.
inline const QColor Strip = QColor::fromRgb(StripColours::Background);
inline const QColor Glyph = QColor::fromRgb(StripColours::Glyph);
inline const QColor GlyphShadow = QColor::fromRgb(StripColours::Shadow);
inline const QColor StripSeparator{255, 255, 255};
}  // namespace Palette
