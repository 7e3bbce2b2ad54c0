// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QChar>
#include <QString>

// Turning the device's packed time values into the two-digit texts the
// display and the hidden fields hold. All of them are pure.
//
// The display has room for two digits per number, so anything the device
// reports above 99 (a garbage track byte, an image longer than 99 minutes)
// reads as "99". Track 0 stays "00", which the player takes for "no disc".

// The value as eight upper-case hexadecimal digits, highest byte first.
QString hex8(qint32 value);

// The two hexadecimal characters of hex starting at the 1-based position,
// read as a number and written as two decimal digits ("0A" gives "10").
QString dec2(const QString &hex, int position);

// A count as two decimal digits, clamped to 0..99.
QString twoDigits(qint64 value);

// "MM:SS" from two two-digit texts.
QString minSec(const QString &minutes, const QString &seconds);

// The character at index as a digit; '0' where the text has none there.
QChar digitAt(const QString &text, int index);
