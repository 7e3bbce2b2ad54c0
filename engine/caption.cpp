// SPDX-License-Identifier: GPL-3.0-or-later
#include "caption.h"

#include "player_state.h"

QString modeName(int playMode)
{
    switch (playMode) {
    case ModeNormal: return QStringLiteral("通常再生");
    case ModeTrackRepeat: return QStringLiteral("トラックリピート");
    case ModeDiscRepeat: return QStringLiteral("ＣＤリピート");
    case ModeProgram: return QStringLiteral("プログラム再生");
    case ModeProgramRepeat: return QStringLiteral("プログラムリピート");
    default: return QString();
    }
}

std::optional<QString> minimizedCaption(const QString &track, const QString &time, int playMode)
{
    const QString name = modeName(playMode);
    if (name.isEmpty())
        return std::nullopt;
    const QString gap = playMode == ModeNormal ? QStringLiteral("  ") : QStringLiteral(" ");
    return QLatin1Char('[') + track + QLatin1Char(']') + gap + time + QStringLiteral("  ") + name;
}
