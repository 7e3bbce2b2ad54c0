// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// display/: what the windows look like. The skin (geometry as data,
// pictures, glyph strips, surfaces), the digits, the indicators, message
// boxes, the skin's widgets. Uses engine/ for the state it draws; no
// window's wiring lives here.

#include "drag_handle.h"
#include "picture_button.h"
#include "surface.h"

#include <QImage>
#include <QLabel>
#include <QWidget>

// The skin of the main window: its background, buttons, drag handle, the
// two display panels with their children, and the hidden glyph strips.
// The widgets belong to the window; this object only names them.
class MainSkin {
public:
    // window is the 276 x 139 main window.
    explicit MainSkin(QWidget *window);

    QLabel *Background;  // the window's picture, below everything
    PictureButton *repeatButton, *muteButton, *infoButton, *cancelReservationButton, *minimizeButton, *exitButton, *programButton;
    DragHandle *dragHandle;
    PictureButton *transportButtons[10];
    Surface *discPanel, *idlePanel, *trackDisplay;
    QWidget *entryBox;
    QLabel *entryPlus[2], *entryDigits[2];

    const QImage digitStrip;
    const QImage iconStrip;
    const QImage modeStrip;

    void showDiscPanel();
    void showIdlePanel();
    bool discPanelInFront() const;
};
