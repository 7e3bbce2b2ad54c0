// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The real player binary under the X server of tools/run-tests.sh, found
// and clicked with xdotool at skin coordinates.
#include <QProcess>
#include <QStandardPaths>
#include <QString>

inline bool canDriveRealWindows()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") && !QStandardPaths::findExecutable("xdotool").isEmpty();
}

// The player's window once it is shown; empty if it never was.
inline QString waitForPlayerWindow(const QProcess &player)
{
    QProcess search;
    search.start(QStringLiteral("xdotool"), {"search", "--sync", "--onlyvisible", "--pid",
                                             QString::number(player.processId())});
    if (!search.waitForFinished(20000))
        return QString();
    return QString::fromUtf8(search.readAllStandardOutput()).split(QLatin1Char('\n')).value(0).trimmed();
}

inline bool clickInWindow(const QString &window, int x, int y)
{
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), {"mousemove", "--window", window, QString::number(x),
                                              QString::number(y), "click", "1"});
    return xdotool.waitForFinished(10000) && xdotool.exitCode() == 0;
}
