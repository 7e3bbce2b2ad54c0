// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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
    PictureButton *Image1, *Image2, *Image3, *Image5, *Image6, *Image7, *Picture1;
    DragHandle *Label1;
    PictureButton *ContP[10];
    Surface *PicD, *PicDH, *DspT;
    QWidget *Picture2;
    QLabel *PluN[2], *ContTr[2];

    const QImage TimPic;
    const QImage PicParts1;
    const QImage PicPM;

    void showDiscPanel();
    void showIdlePanel();
    bool discPanelInFront() const;
};
