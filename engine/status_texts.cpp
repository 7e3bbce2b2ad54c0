// SPDX-License-Identifier: GPL-3.0-or-later
#include "status_texts.h"

#include "device_values.h"

StatusTexts deriveStatusTexts(qint32 position, qint32 length, qint32 trackLength, qint32 tracks)
{
    StatusTexts t;
    t.PosHex = hex8(position);
    t.LenHex = hex8(length);
    setTrackLength(t, trackLength);
    t.TrNo = dec2(t.PosHex, 7);
    t.TrCnt = twoDigits(tracks);
    t.PosMin = dec2(t.PosHex, 5);
    t.PosSec = dec2(t.PosHex, 3);
    t.LenMin = dec2(t.LenHex, 7);
    t.LenSec = dec2(t.LenHex, 5);
    return t;
}

void setTrackLength(StatusTexts &texts, qint32 trackLength)
{
    texts.TrLenHex = hex8(trackLength);
    texts.TrLenMin = dec2(texts.TrLenHex, 7);
    texts.TrLenSec = dec2(texts.TrLenHex, 5);
}

void splitTrackLengthDigits(const StatusTexts &texts, DigitVariables &digits)
{
    digits.TlmD1 = digitAt(texts.TrLenMin, 0);
    digits.TlmD2 = digitAt(texts.TrLenMin, 1);
    digits.TlsD1 = digitAt(texts.TrLenSec, 0);
    digits.TlsD2 = digitAt(texts.TrLenSec, 1);
}

void splitDigits(const StatusTexts &texts, DigitVariables &digits)
{
    digits.TrD1 = digitAt(texts.TrNo, 0);
    digits.TrD2 = digitAt(texts.TrNo, 1);
    digits.PmD1 = digitAt(texts.PosMin, 0);
    digits.PmD2 = digitAt(texts.PosMin, 1);
    digits.PsD1 = digitAt(texts.PosSec, 0);
    digits.PsD2 = digitAt(texts.PosSec, 1);
    splitTrackLengthDigits(texts, digits);
    digits.TcD1 = digitAt(texts.TrCnt, 0);
    digits.TcD2 = qint16(digitAt(texts.TrCnt, texts.TrCnt.size() - 1).digitValue());
    digits.LmD1 = digitAt(texts.LenMin, 0);
    digits.LmD2 = digitAt(texts.LenMin, 1);
    digits.LsD1 = digitAt(texts.LenSec, 0);
    digits.LsD2 = digitAt(texts.LenSec, 1);
}
