// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the desktop's media controls reach beyond the player core: the main
// window's own procedures. A request from the desktop and the matching
// button end in the same procedure.
class MprisTargets {
public:
    virtual ~MprisTargets() = default;

    // The main window to the front, restored if it was minimized.
    virtual void bringForward() = 0;
    // As the exit button: the disc stopped, the device let go, the window
    // closed.
    virtual void exitPlayer() = 0;
};
