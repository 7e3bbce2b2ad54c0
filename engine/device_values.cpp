// SPDX-License-Identifier: GPL-3.0-or-later
#include "device_values.h"

#include <algorithm>

// The status update formats these five times a second: by hand, without
// QString::arg.
QString hex8(qint32 value)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    QString text(8, Qt::Uninitialized);
    quint32 rest = quint32(value);
    for (int i = 7; i >= 0; --i, rest >>= 4)
        text[i] = QLatin1Char(kDigits[rest & 0xF]);
    return text;
}

QString dec2(const QString &hex, int position)
{
    bool ok = false;
    const int byte = hex.mid(position - 1, 2).toInt(&ok, 16);
    return twoDigits(ok ? byte : 0);
}

QString twoDigits(qint64 value)
{
    const qint64 clamped = std::clamp<qint64>(value, 0, 99);
    const QChar digits[2] = {QLatin1Char(char('0' + clamped / 10)), QLatin1Char(char('0' + clamped % 10))};
    return QString(digits, 2);
}

QString minSec(const QString &minutes, const QString &seconds)
{
    return minutes + QLatin1Char(':') + seconds;
}

QChar digitAt(const QString &text, int index)
{
    const QChar c = index >= 0 && index < text.size() ? text.at(index) : QChar();
    return c >= QLatin1Char('0') && c <= QLatin1Char('9') ? c : QLatin1Char('0');
}
