// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "player_state.h"

#include <QString>

// What one status update reads from the device, as the texts it derives:
// the raw values in hexadecimal and their bytes as two-digit numbers.
struct StatusTexts {
    QString positionHex, lengthHex, trackLengthHex;
    QString trackText, trackCountText;
    QString elapsedMinutes, elapsedSeconds;
    QString discMinutes, discSeconds;
    QString trackMinutes, trackSeconds;
};

// Position packs track, minutes, seconds, frames from the lowest byte;
// the lengths pack minutes, seconds, frames. Frames are never shown.
StatusTexts deriveStatusTexts(qint32 position, qint32 length, qint32 trackLength, qint32 tracks);

// Renews the selected track's length after the track has been selected.
void setTrackLength(StatusTexts &texts, qint32 trackLength);

// The digits the display draws from: first and second character of each
// text; the units of the track count as a number.
void splitDigits(const StatusTexts &texts, DigitVariables &digits);
void splitTrackLengthDigits(const StatusTexts &texts, DigitVariables &digits);
