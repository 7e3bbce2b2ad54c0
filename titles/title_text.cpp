// SPDX-License-Identifier: GPL-3.0-or-later
#include "title_text.h"

QString trackLine(int track, const DiscText &text)
{
    const DiscText::Entry entry = text.track(track);
    if (track <= 0 || entry.title.isEmpty())
        return QString();
    const QString performer = entry.performer.isEmpty() ? text.album.performer : entry.performer;
    const QString line = QStringLiteral("%1 %2").arg(track, 2, 10, QLatin1Char('0')).arg(entry.title);
    return performer.isEmpty() ? line : line + QStringLiteral(" — ") + performer;
}
