// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// File names are bytes, and any bytes but '/' and NUL make one: the system
// holds names that are not UTF-8 (a Latin-1 "é" is the one byte 0xE9). Qt
// would decode such a byte as U+FFFD and never find the file again, so the
// player carries names in QStrings of its own making: what is UTF-8 is read
// as UTF-8, and each byte that is not stands as the lone surrogate
// U+DC80..U+DCFF (as Python's "surrogateescape"), which no UTF-8 text can
// hold. fileNameBytes gives back exactly the bytes the name came from.
//
// Such a name must reach the file system only through fileNameBytes (never
// QFile, QFileInfo or QDir, which would encode it as UTF-8).
QString fileNameFromBytes(const QByteArray &bytes);
QByteArray fileNameBytes(const QString &name);

// True when name holds bytes that are not UTF-8.
bool hasUndecodedBytes(const QString &name);

// Text for a person: each undecoded byte written as \xNN, the rest as it is.
QString withBytesEscaped(const QString &text);

// One printable line: undecoded bytes, line ends and other control
// characters written as \xNN, so that what reaches a terminal is what the
// name holds and nothing else.
QString printableLine(const QString &text);
