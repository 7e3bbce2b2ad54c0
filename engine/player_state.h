// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <tuple>

// The player's intent and memory, with the names the rest of the player
// uses. The device stays the authority on position, track and mode.
struct PlayerState {
    // Written by other windows too (the program editor, the activation hook).
    bool programReserved = false;  // a program is reserved in the program list
    qint16 playMode = 0;           // a PlayMode
    double savedLeftTwips = 0;     // saved window position in twips, as read at start-up
    double savedTopTwips = 0;
    qint16 programIndex = 0;       // index of the program entry being played
    bool playWanted = false;       // the sequencing acts only while play is wanted
    bool stoppedByUser = false;    // stopped by a stop action
    bool pausedByUser = false;     // paused by the pause command
    bool appActive = true;         // this application is the active one

    // The main window's own.
    int repeatTrack = 0;        // track that track repeat returns to
    int lastPlayedTrack = 0;    // track last seen while the device was playing
    qint32 lastMode = 0;        // device mode read at the end of the last status update
    bool deviceOpened = false;  // the open timer has opened the device
    bool muted = false;         // the sound is off
    qint16 programDirection = 0;  // program step direction: 1 forward, 2 back
    qint16 discFrame = 1;         // phase 1..3 of the turning disc

    auto tied() const
    {
        return std::tie(programReserved, playMode, savedLeftTwips, savedTopTwips, programIndex, playWanted,
                        stoppedByUser, pausedByUser, appActive, repeatTrack, lastPlayedTrack, lastMode,
                        deviceOpened, muted, programDirection, discFrame);
    }
    bool operator==(const PlayerState &other) const { return tied() == other.tied(); }
};

// The single digits the status update splits its texts into and the
// display draws from. Characters are '0'..'9' once the first update ran.
struct DigitVariables {
    QChar trackTens, trackUnits;    // current track
    QChar elapsedMinuteTens, elapsedMinuteUnits;    // elapsed minutes
    QChar elapsedSecondTens, elapsedSecondUnits;    // elapsed seconds
    QChar trackMinuteTens, trackMinuteUnits;  // current track's minutes
    QChar trackSecondTens, trackSecondUnits;  // current track's seconds
    QChar trackCountTens;          // number of tracks, tens
    qint16 trackCountUnits = 0;     // number of tracks, units, as a number
    QChar discMinuteTens, discMinuteUnits;    // disc minutes
    QChar discSecondTens, discSecondUnits;    // disc seconds
};

enum PlayMode : qint16 {
    ModeNormal = 0,
    ModeTrackRepeat = 1,
    ModeDiscRepeat = 2,
    ModeProgram = 4,
    ModeProgramRepeat = 5,
};

// A hidden text field: set() runs the change handler synchronously, and
// only when the text really changes.
class TextField {
public:
    explicit TextField(QString initial = QString()) : m_text(std::move(initial)) {}

    const QString &text() const { return m_text; }
    void set(const QString &text)
    {
        if (text == m_text)
            return;
        m_text = text;
        if (m_onChange)
            m_onChange();
    }
    void onChange(std::function<void()> handler) { m_onChange = std::move(handler); }

private:
    QString m_text;
    std::function<void()> m_onChange;
};

// The reserved program: two-digit track entries in play order and the
// index of the entry being played (-1: none selected).
class ProgramList {
public:
    static constexpr int kMaxEntries = 1000;

    int count() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    const QString &entry(int index) const { return m_entries.at(index); }
    void add(const QString &entry) { m_entries.append(entry); }
    void clear()
    {
        m_entries.clear();
        m_index = -1;
    }

    bool operator==(const ProgramList &other) const
    {
        return m_index == other.m_index && m_entries == other.m_entries;
    }

    int listIndex() const { return m_index; }
    void setListIndex(int index) { m_index = (index >= 0 && index < count()) ? index : -1; }
    // The selected entry's text; empty when nothing is selected.
    QString selectedText() const { return m_index >= 0 ? m_entries.at(m_index) : QString(); }

private:
    QStringList m_entries;
    int m_index = -1;
};
