// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What the player core asks of its window. The core decides when; the
// window knows how (the skin, the strips, the window system).
class PlayerView {
public:
    virtual ~PlayerView() = default;

    // Redraw the time-and-track digits from the core's digit variables.
    virtual void drawDigits() = 0;
    // Redraw the indicator row; advances the turning disc while playing.
    virtual void drawIndicators() = 0;
    // Draw the turning disc standing in its current phase.
    virtual void drawStillDisc() = 0;

    // Bring the disc panel, or the idle title panel, to the front.
    virtual void showDiscPanel() = 0;
    virtual void showIdlePanel() = 0;

    virtual bool isMinimized() const = 0;
    virtual void setCaption(const QString &caption) = 0;
};
