// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mpris_targets.h"

#include <QDBusAbstractAdaptor>
#include <QStringList>

// org.mpris.MediaPlayer2: who the player is, and the window the desktop
// may bring forward or close as the player's own exit button does.
class MprisRoot : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ yes)
    Q_PROPERTY(bool CanRaise READ yes)
    Q_PROPERTY(bool HasTrackList READ no)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ none)
    Q_PROPERTY(QStringList SupportedMimeTypes READ none)
public:
    MprisRoot(QObject *parent, MprisTargets &targets) : QDBusAbstractAdaptor(parent), m_targets(targets) {}

    bool yes() const { return true; }
    bool no() const { return false; }
    QString identity() const { return QStringLiteral(VELOR_PRODUCT_NAME); }
    QString desktopEntry() const { return QStringLiteral("velor-cdplayer"); }
    QStringList none() const { return {}; }

public slots:
    void Raise() { m_targets.bringForward(); }
    void Quit() { m_targets.exitPlayer(); }

private:
    MprisTargets &m_targets;
};
