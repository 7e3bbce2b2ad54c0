// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// device/: the device control the player commands. CdAudioControl, the
// playback engine that moves sectors from the disc to the sound on its own
// thread, and the disc thread that opens and reads ahead. Uses disc/, sound/
// and base/; knows nothing of the player's state or of any window.

#include "disc_text.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class Clock;
class DiscToc;
class DriveAccess;
struct TrackInfo;
class ClockTimer;
class CaptureOutput;
class PlaybackEngine;

// The CD device: a digital CD player for drives and disc images with the
// member set of a multimedia CD-audio control. Getters read a snapshot and
// never wait on the drive; commands take effect in the reported state at
// once and are carried out by worker threads (or, on a manual clock,
// synchronously as the clock advances).
//
// Time formats: 10 packs positions as track, minutes, seconds, frames
// (lowest byte first) and lengths as minutes, seconds, frames; 0 gives
// milliseconds, positions counted from the start of the disc.
class CdAudioControl : public QObject {
    Q_OBJECT
public:
    enum ModeValue {
        ModeNotReady = 524,
        ModeStopped = 525,
        ModePlaying = 526,
        ModePaused = 529,
        ModeOpen = 530,
    };
    enum TimeFormatValue { TimeFormatMilliseconds = 0, TimeFormatTmsf = 10 };

    struct Options {
        QString device;  // drive or image path; empty: the system's default drive
        Clock *clock = nullptr;  // null: the system clock
        // Auto: the sound server, or the real-time null output without one.
        int output = 0;  // OutputKind
        // With OutputKind::Capture, every frame played is appended here.
        CaptureOutput *capture = nullptr;
        DriveAccess *drive = nullptr;  // null: the system's drives
        // Reads the disc on its own thread even on a manual clock, as on the
        // system clock, so that a test sees what a slow drive does to the rest.
        bool discThread = false;
    };

    explicit CdAudioControl(const Options &options, QObject *parent = nullptr);
    ~CdAudioControl() override;

    void command(const QString &command);

    void setDeviceType(const QString &type) { m_deviceType = type; }
    QString deviceType() const { return m_deviceType; }
    void setFileName(const QString &name) { m_fileName = name; }
    QString fileName() const { return m_fileName; }
    // The two open options. Opens never block the caller, so they have no
    // effect beyond being remembered.
    void setWait(bool wait) { m_wait = wait; }
    bool wait() const { return m_wait; }
    void setShareable(bool shareable) { m_shareable = shareable; }
    bool shareable() const { return m_shareable; }

    void setTimeFormat(qint32 format);
    qint32 timeFormat() const { return m_timeFormat; }

    void setFrom(qint32 from);
    qint32 from() const { return m_from; }

    void setTrack(qint32 track) { m_track = track; }
    qint32 track() const { return m_track; }

    qint32 trackCount() const;
    qint32 position() const;
    qint32 length() const;
    qint32 trackLength() const;
    qint32 mode() const;

    void setSilent(bool silent);
    bool silent() const { return m_silent; }

    // The sound's own volume, 0 to 1, separate from the silence; full until
    // asked for or seen in the sound server's mixer.
    void setVolume(double volume);
    // As asked for, or as the user set it since in the sound server's mixer.
    double volume() const;

    void setUpdateInterval(int ms);
    int updateInterval() const { return m_updateInterval; }

    // At rest neither status updates nor media checks come from here: the
    // disc thread looks after the drive, and a disc that comes or goes
    // ends the rest (discChangedAtRest). The update interval is kept and
    // in force again when the rest ends.
    void setResting(bool resting);
    bool isResting() const { return m_resting; }

    // Whether "next" (forward) or "prev" given twice reaches an audio track
    // other than the current one.
    bool hasNeighbourTrack(bool forward) const;

    // The disc's CD-Text, empty without a disc or without text.
    DiscText discText() const;
    // The disc's table of contents as last read, null without a disc; a
    // disc read anew is a new one.
    std::shared_ptr<const DiscToc> toc() const;

    // The name of the output sound goes to ("pulse", "null", "capture").
    QString outputName() const;

signals:
    void statusUpdate();
    void discChangedAtRest();

private:
    void raiseStatusUpdate();
    void checkMediaWhenDue();
    void checkMedia();
    void armMediaTimer();
    void onBoundary();
    void onDiscChanged();
    void armUpdateTimer();
    void playCommand();
    void stepTrack(bool forward);
    void followCurrentTrack();
    const TrackInfo *currentTrack(const DiscToc &toc) const;
    std::optional<qint64> fromFrame(const DiscToc &toc) const;
    qint32 lengthValue(qint64 sectors) const;

    std::unique_ptr<PlaybackEngine> m_engine;
    Clock *m_clock;
    ClockTimer *m_updateTimer;
    ClockTimer *m_mediaTimer;
    bool m_isOpen = false;
    bool m_resting = false;

    QString m_deviceType;
    QString m_fileName;
    bool m_wait = false;
    bool m_shareable = false;
    qint32 m_timeFormat = TimeFormatTmsf;
    qint32 m_from = 0;
    bool m_fromSet = false;
    qint32 m_track = 1;
    bool m_silent = false;
    int m_updateInterval = 0;
    qint64 m_lastPrevMs = -1;
    qint64 m_lastMediaCheckMs = 0;
};
