// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// A PulseAudio server of the test's own, with one null sink at CD rate,
// reachable through PULSE_SERVER. Waits on the server itself, never on the
// clock: it is ready when pactl gets an answer.
class PrivatePulse {
public:
    static bool available() { return !QStandardPaths::findExecutable("pulseaudio").isEmpty(); }

    QString socket() const { return m_dir.path() + QStringLiteral("/native"); }
    QString server() const { return QStringLiteral("unix:") + socket(); }

    bool start()
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // Its own runtime folder, so that a desktop's server of the same
        // user does not make it refuse to start.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), m_dir.path());
        env.insert(QStringLiteral("PULSE_STATE_PATH"), m_dir.path());
        m_process.setProcessEnvironment(env);
        m_process.start(QStringLiteral("pulseaudio"),
                        {"-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
                         "--disable-shm=yes", "--log-level=error",
                         "-L", "module-null-sink sink_name=velor_null rate=44100 format=s16le channels=2",
                         "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + socket()});
        if (!m_process.waitForStarted(10000))
            return false;
        for (int attempt = 0; attempt < 200; ++attempt) {
            QProcess info;
            info.setProcessEnvironment(environment());
            info.start(QStringLiteral("pactl"), {"info"});
            if (info.waitForFinished(5000) && info.exitCode() == 0)
                return true;
            if (m_process.state() != QProcess::Running)
                return false;
            m_process.waitForFinished(50);  // gives the server a moment, returns early if it dies
        }
        return false;
    }

    void kill()
    {
        m_process.kill();
        m_process.waitForFinished(10000);
    }

    qint64 processId() const { return m_process.processId(); }
    bool running() const { return m_process.state() == QProcess::Running; }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PULSE_SERVER"), server());
        return env;
    }

    ~PrivatePulse() { kill(); }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
};
