// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "main_skin.h"

#include <QWidget>

// A bare main window with the skin built on it, as the player has it.
struct SkinnedWindow {
    SkinnedWindow() { window.resize(276, 139); }

    QWidget window;
    MainSkin skin{&window};
};
