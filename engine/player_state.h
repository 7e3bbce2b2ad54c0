// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The player's intent and memory, with the names the rest of the player
// uses. The device stays the authority on position, track and mode.
struct PlayerState {
    // Written by other windows too (the program editor, the activation hook).
    qint16 PgmPlay = 0;  // 1 while a program is reserved in List1
    qint16 B = 0;        // play mode: 0 normal, 1 track repeat, 2 disc repeat, 4 program, 5 program repeat
    double FItiX = 0;    // saved window position in twips, as read at start-up
    double FItiY = 0;
    qint16 LstCnt = 0;   // index of the program entry being played
    qint16 Ply = 0;      // 1 = play wanted; the sequencing acts only then
    qint16 Stp = 0;      // 1 = stopped by a stop action
    qint16 Pose = 0;     // 1 = paused by the pause command
    qint16 KeyBrd = 1;   // 1 while this application is the active one

    // The main window's own.
    int RepTr = 0;        // track that track repeat returns to
    int PlyTr = 0;        // track last seen while the device was playing
    qint32 CurMode = 0;   // device mode read at the end of the last status update
    qint16 Opnd = 0;      // 1 once the open timer has opened the device
    qint16 Mute = 0;      // 1 while the sound is off
    qint16 PgmDir = 0;    // program step direction: 1 forward, 2 back
    qint16 AnmFr = 1;     // phase 1..3 of the turning disc
};

// The single digits the status update splits its texts into and the
// display draws from. Characters are '0'..'9' once the first update ran.
struct DigitVariables {
    QChar TrD1, TrD2;    // current track
    QChar PmD1, PmD2;    // elapsed minutes
    QChar PsD1, PsD2;    // elapsed seconds
    QChar TlmD1, TlmD2;  // current track's minutes
    QChar TlsD1, TlsD2;  // current track's seconds
    QChar TcD1;          // number of tracks, tens
    qint16 TcD2 = 0;     // number of tracks, units, as a number
    QChar LmD1, LmD2;    // disc minutes
    QChar LsD1, LsD2;    // disc seconds
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

    int listIndex() const { return m_index; }
    void setListIndex(int index) { m_index = (index >= 0 && index < count()) ? index : -1; }
    // The selected entry's text; empty when nothing is selected.
    QString selectedText() const { return m_index >= 0 ? m_entries.at(m_index) : QString(); }

private:
    QStringList m_entries;
    int m_index = -1;
};
