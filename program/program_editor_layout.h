// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QSize>

#include <vector>

// The program editor's controls as they were designed: position in twips
// (15 to the pixel), caption and kind. The kind decides the widget and its
// font. Listed in tab order; labels take no focus.
struct ProgramEditorControl {
    enum class Kind { Label, CountLabel, List, Button };

    const char *name;
    Kind kind;
    QRect twips;
    const char *caption;  // UTF-8; empty for what the load fills in
};

// The client area, 4935 x 2700 twips.
extern const QSize ProgramEditorClientTwips;

const std::vector<ProgramEditorControl> &programEditorControls();
