// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "player_state.h"

#include <QImage>
#include <QString>

class Surface;

// The two rows of digits on `trackDisplay`: track, elapsed time and track length
// above, number of tracks and disc length below.
class DigitDisplay {
public:
    // The strip offset each of the sixteen digit slots last showed. A
    // slot whose variable holds no digit keeps showing what it showed.
    qint32 DigitSrcX[16] = {};

    // Redraws trackDisplay from the digit variables; blank while trackField is "00".
    void drawDigits(Surface *trackDisplay, const QImage &digitStrip, const DigitVariables &d, const QString &trackField);

private:
    // What trackDisplay shows since this drew it last, while nothing else drew on
    // it: the status update redraws the same digits four times out of five.
    struct Drawn {
        const Surface *surface = nullptr;
        quint64 revision = 0;
        bool blank = false;
        decltype(DigitDisplay::DigitSrcX) srcX = {};
    };
    bool showsAlready(const Surface *trackDisplay, bool blank) const;
    Drawn m_drawn;
};
