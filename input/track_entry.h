// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "clock.h"
#include "entry_display.h"

#include <QObject>
#include <QString>

class KeyboardTargets;
class PlayerCore;

// Choosing a track by typing its number: a digit alone plays that track,
// "+" and two digits play a two-digit track. The number stays on display
// for five ticks of the entry timer after the last entry key; an entry
// left half typed lapses after the same time.
class TrackEntry : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 1000;
    static constexpr int kTicksShown = 5;
    static const QString kProgramPlayMessage;

    TrackEntry(PlayerCore &core, MainSkin &skin, KeyboardTargets &targets, QObject *parent = nullptr);

    void digitKey(QChar digit);
    void plusKey();

    QString InTr;       // the two digits last applied
    qint16 plusTyped = 0;  // 1 after "+": the next two digits form one number
    qint16 InSec = 0;   // entry timer ticks since the last entry key
    ClockTimer entryTimer;  // the entry timer; interval 0 while idle

private:
    void restartCount();
    void applyEntry();
    void onEntryTimer();

    PlayerCore &m_core;
    EntryDisplay m_display;
    KeyboardTargets &m_targets;
};
