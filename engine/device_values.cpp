#include "device_values.h"

#include <algorithm>

QString hex8(qint32 value)
{
    return QStringLiteral("%1").arg(quint32(value), 8, 16, QLatin1Char('0')).toUpper();
}

QString dec2(const QString &hex, int position)
{
    bool ok = false;
    const int byte = hex.mid(position - 1, 2).toInt(&ok, 16);
    return twoDigits(ok ? byte : 0);
}

QString twoDigits(qint64 value)
{
    return QStringLiteral("%1").arg(std::clamp<qint64>(value, 0, 99), 2, 10, QLatin1Char('0'));
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
