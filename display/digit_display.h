#pragma once

#include "player_state.h"

#include <QImage>
#include <QString>

class Surface;

// The two rows of digits on `DspT`: track, elapsed time and track length
// above, number of tracks and disc length below.
class DigitDisplay {
public:
    // The strip offset each of the sixteen digit slots last showed. A
    // slot whose variable holds no digit keeps showing what it showed.
    qint32 DigitSrcX[16] = {};

    // Redraws DspT from the digit variables; blank while Text1 is "00".
    void DrawDigits(Surface *DspT, const QImage &TimPic, const DigitVariables &d, const QString &Text1);
};
