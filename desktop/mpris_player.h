// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QVariantMap>

class MprisPlayback;

// org.mpris.MediaPlayer2.Player: the transport, the play mode as loop
// status, the sound's volume, and the current track's metadata.
class MprisPlayer : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QString LoopStatus READ loopStatus WRITE setLoopStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ canControlDisc)
    Q_PROPERTY(bool CanPause READ canControlDisc)
    Q_PROPERTY(bool CanSeek READ canControlDisc)
    Q_PROPERTY(bool CanControl READ canControl)
public:
    MprisPlayer(QObject *parent, MprisPlayback &playback);

    QString playbackStatus() const;
    QString loopStatus() const;
    void setLoopStatus(const QString &loop);
    double rate() const { return 1.0; }
    void setRate(double rate);
    double volume() const;
    void setVolume(double volume);
    QVariantMap metadata() const;
    qlonglong position() const;
    bool canControlDisc() const;
    bool canGoNext() const { return canStep(kForward); }
    bool canGoPrevious() const { return canStep(kBack); }
    bool canControl() const { return true; }

public slots:
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Next();
    void Previous();
    void Seek(qlonglong offsetUs);
    void SetPosition(const QDBusObjectPath &trackId, qlonglong positionUs);
    void OpenUri(const QString &) {}

signals:
    void Seeked(qlonglong positionUs);

private:
    // The program's step directions, which the device's steps share here.
    static constexpr int kForward = 1;
    static constexpr int kBack = 2;

    bool canStep(int direction) const;
    void jumpWithinTrack(qint64 positionUs);

    MprisPlayback &m_playback;
};
