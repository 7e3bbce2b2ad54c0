// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// engine/: the player without its windows. Its state, the status update, the
// transport commands, the sequencing of repeat and program play. Uses
// device/ and below; asks its window for drawing through PlayerView, and
// needs no display.

#include "cd_audio_control.h"
#include "clock.h"
#include "player_state.h"
#include "sequencing.h"
#include "status_texts.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class PlayerView;

// The main window's state and heartbeat, without the window: the device,
// the open timer, the text fields the display follows (track, elapsed time,
// track length, track count, disc length), the program list, the digit
// variables and the status update that ties them together. Drawing and panel switches are asked of the PlayerView.
class PlayerCore : public QObject {
    Q_OBJECT
public:
    // The open timer's interval while waiting for a disc, and the pace of
    // the device's status updates once it is open.
    static constexpr int kOpenRetryMs = 500;
    static constexpr int kStatusIntervalMs = 200;

    PlayerCore(const CdAudioControl::Options &options, PlayerView &view, QObject *parent = nullptr);
    ~PlayerCore() override;

    PlayerState state;
    CdAudioControl device;
    ClockTimer openTimer;
    // Starts with a text that is neither a track nor "00", so the first
    // status update always runs its change handler.
    TextField trackField{QStringLiteral("Text1")};
    TextField elapsedField, trackLengthField, trackCountField, discLengthField;
    ProgramList programList;
    StatusTexts texts;
    DigitVariables digits;

    // False while trackField reads "00", the device's word for "no usable disc".
    bool hasDisc() const;

    // The state start-up sets before the device is opened, and the play
    // state it starts from.
    void resetOpenState();
    void resetPlayState();
    // Play stopped, modes and any program dropped, repeat back on track 1:
    // what a lost disc and an eject leave behind.
    void resetForNoDisc();

    // Every command the core and the window send to the device goes through here.
    void command(const QString &command);
    // Stops the sound, then lets go of the device.
    void stopAndClose();
    // The window goes away: the device is left closed and silent, and
    // neither the open timer nor status updates reach the core again.
    void unload();

    Sequencing &sequencing() const { return *m_sequencing; }
    // What a sequencing may see and do of this core.
    SequencingContext sequencingContext();
    void setSequencing(std::unique_ptr<Sequencing> sequencing);

    // The open timer's tick and the device's status update; connected in
    // the constructor, public so the window's wiring reads as one piece.
    void openDevice();
    void statusUpdate();

    // Lets the core rest while it is still: once kStillUpdatesBeforeRest
    // status updates in a row found the device not playing and changed
    // nothing, neither the updates nor the open timer wake the player
    // until wake(). The window wakes it whenever its event loop wakes for
    // anything else (a key, a click, the desktop's media controls, a window
    // shown or hidden); the device wakes it when a disc comes or goes.
    void allowRest();
    void wake();
    bool isResting() const { return m_resting; }
    static constexpr int kStillUpdatesBeforeRest = 2;

signals:
    void commandSent(const QString &command);
    void rested();

private:
    void readDevice();
    void writeFields();
    void redraw();
    void followDisc();
    void writeMinimizedCaption();
    void noteMode();

    // Everything a status update reads and writes: two alike in a row with
    // the device not playing, and the next would change nothing either.
    struct Snapshot {
        PlayerState state;
        ProgramList program;
        QStringList fields;
        qint32 position = 0;
        qint32 mode = 0;
        bool minimized = false;
        bool operator==(const Snapshot &other) const;
    };
    Snapshot snapshot() const;
    void restIfStill();
    void rest();

    void onTrackFieldChange();
    void selectTrack();
    QString trackLengthText() const;

    PlayerView &m_view;
    std::unique_ptr<Sequencing> m_sequencing;
    bool m_restAllowed = false;
    bool m_resting = false;
    int m_stillUpdates = 0;
    std::optional<Snapshot> m_lastSnapshot;
    int m_openIntervalAtRest = 0;
};
