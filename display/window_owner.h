// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <QWindow>

// A secondary window named as belonging to the main window: the window
// manager keeps it in front of its owner and gives it no taskbar entry of
// its own. Nothing else ties the two: each still closes on its own.
inline void showAsOwnedBy(QWidget &window, const QWidget &owner)
{
    window.winId();  // the hint is carried by the native window
    if (QWindow *ownerWindow = owner.windowHandle(); ownerWindow && window.windowHandle())
        window.windowHandle()->setTransientParent(ownerWindow);
}
