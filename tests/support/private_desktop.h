// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

// An X server of the test's own (Xvfb on a free display it picks itself)
// with a window manager (openbox), so that windows are moved the way a
// desktop moves them. Waits on the programs' own word, never on the clock.
class PrivateDesktop {
public:
    static bool available()
    {
        return !QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
            && !QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty()
            && !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty();
    }

    bool start()
    {
        // Xvfb writes the display number it took once it accepts clients.
        m_server.start(QStringLiteral("Xvfb"),
                       {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        if (!m_server.waitForStarted(10000) || !readLine(m_server, &m_display))
            return false;
        m_display.prepend(QLatin1Char(':'));
        // openbox runs its start-up command once it manages the screen.
        m_windowManager.setProcessEnvironment(environment());
        m_windowManager.start(QStringLiteral("openbox"), {"--startup", "echo managing"});
        // It may complain about its menus first.
        if (!m_windowManager.waitForStarted(10000))
            return false;
        QString line;
        while (line != QStringLiteral("managing")) {
            if (!readLine(m_windowManager, &line))
                return false;
        }
        return true;
    }

    QString display() const { return m_display; }

    QProcessEnvironment environment(QProcessEnvironment env = QProcessEnvironment::systemEnvironment()) const
    {
        env.insert(QStringLiteral("DISPLAY"), m_display);
        return env;
    }

    ~PrivateDesktop()
    {
        for (QProcess *process : {&m_windowManager, &m_server}) {
            process->kill();
            process->waitForFinished(10000);
        }
    }

private:
    static bool readLine(QProcess &process, QString *line)
    {
        while (!process.canReadLine()) {
            if (!process.waitForReadyRead(20000))
                return false;
        }
        *line = QString::fromUtf8(process.readLine()).trimmed();
        return true;
    }

    QProcess m_server;
    QProcess m_windowManager;
    QString m_display;
};
