// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The real player binary on the session bus, offscreen and without a sound
// server, with cache, settings and lock folders of its own under home; its
// MPRIS metadata read as a desktop reads it.
#include <QDBusInterface>
#include <QDBusReply>
#include <QProcess>

struct TitledPlayer {
    QProcess process;

    void start(const QString &binary, const QString &home, const QStringList &arguments)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        // Online, but only to the stand-in servers the arguments name.
        env.remove("VELOR_OFFLINE");
        env.insert("PULSE_SERVER", home + "/no-sound-server");
        env.insert("XDG_CACHE_HOME", home + "/cache");
        env.insert("XDG_CONFIG_HOME", home + "/config");
        env.insert("XDG_RUNTIME_DIR", home);
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(binary, arguments);
        process.waitForStarted(10000);
    }

    QVariantMap metadata() const
    {
        QDBusInterface properties("org.mpris.MediaPlayer2.velor_cdplayer", "/org/mpris/MediaPlayer2",
                                  "org.freedesktop.DBus.Properties");
        const QDBusReply<QVariant> reply = properties.call("Get", "org.mpris.MediaPlayer2.Player", "Metadata");
        return reply.isValid() ? qdbus_cast<QVariantMap>(reply.value()) : QVariantMap();
    }

    // Ends it as the desktop's quit does.
    bool quit()
    {
        QDBusInterface("org.mpris.MediaPlayer2.velor_cdplayer", "/org/mpris/MediaPlayer2", "org.mpris.MediaPlayer2")
            .call("Quit");
        return process.waitForFinished(10000);
    }
};
