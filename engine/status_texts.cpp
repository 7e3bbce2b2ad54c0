// SPDX-License-Identifier: GPL-3.0-or-later
#include "status_texts.h"

#include "device_values.h"

StatusTexts deriveStatusTexts(qint32 position, qint32 length, qint32 trackLength, qint32 tracks)
{
    StatusTexts t;
    t.positionHex = hex8(position);
    t.lengthHex = hex8(length);
    setTrackLength(t, trackLength);
    t.trackText = dec2(t.positionHex, 7);
    t.trackCountText = twoDigits(tracks);
    t.elapsedMinutes = dec2(t.positionHex, 5);
    t.elapsedSeconds = dec2(t.positionHex, 3);
    t.discMinutes = dec2(t.lengthHex, 7);
    t.discSeconds = dec2(t.lengthHex, 5);
    return t;
}

void setTrackLength(StatusTexts &texts, qint32 trackLength)
{
    texts.trackLengthHex = hex8(trackLength);
    texts.trackMinutes = dec2(texts.trackLengthHex, 7);
    texts.trackSeconds = dec2(texts.trackLengthHex, 5);
}

void splitTrackLengthDigits(const StatusTexts &texts, DigitVariables &digits)
{
    digits.trackMinuteTens = digitAt(texts.trackMinutes, 0);
    digits.trackMinuteUnits = digitAt(texts.trackMinutes, 1);
    digits.trackSecondTens = digitAt(texts.trackSeconds, 0);
    digits.trackSecondUnits = digitAt(texts.trackSeconds, 1);
}

void splitDigits(const StatusTexts &texts, DigitVariables &digits)
{
    digits.trackTens = digitAt(texts.trackText, 0);
    digits.trackUnits = digitAt(texts.trackText, 1);
    digits.elapsedMinuteTens = digitAt(texts.elapsedMinutes, 0);
    digits.elapsedMinuteUnits = digitAt(texts.elapsedMinutes, 1);
    digits.elapsedSecondTens = digitAt(texts.elapsedSeconds, 0);
    digits.elapsedSecondUnits = digitAt(texts.elapsedSeconds, 1);
    splitTrackLengthDigits(texts, digits);
    digits.trackCountTens = digitAt(texts.trackCountText, 0);
    digits.trackCountUnits = qint16(digitAt(texts.trackCountText, texts.trackCountText.size() - 1).digitValue());
    digits.discMinuteTens = digitAt(texts.discMinutes, 0);
    digits.discMinuteUnits = digitAt(texts.discMinutes, 1);
    digits.discSecondTens = digitAt(texts.discSeconds, 0);
    digits.discSecondUnits = digitAt(texts.discSeconds, 1);
}
