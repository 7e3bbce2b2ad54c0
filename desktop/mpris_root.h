#pragma once

#include <QDBusAbstractAdaptor>
#include <QStringList>

// org.mpris.MediaPlayer2: who the player is. It can neither be raised nor
// quit from the desktop: its own window has the only exit.
class MprisRoot : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ no)
    Q_PROPERTY(bool CanRaise READ no)
    Q_PROPERTY(bool HasTrackList READ no)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ none)
    Q_PROPERTY(QStringList SupportedMimeTypes READ none)
public:
    explicit MprisRoot(QObject *parent) : QDBusAbstractAdaptor(parent) {}

    bool no() const { return false; }
    QString identity() const { return QStringLiteral(VELOR_PRODUCT_NAME); }
    QString desktopEntry() const { return QStringLiteral("velor-cdplayer"); }
    QStringList none() const { return {}; }

public slots:
    void Raise() {}
    void Quit() {}
};
