// SPDX-License-Identifier: GPL-3.0-or-later
#include "track_entry.h"

#include "keyboard_targets.h"
#include "player_core.h"

const QString TrackEntry::kProgramPlayMessage = QStringLiteral(
    "プログラム再生中です。解除するには［予約解除］を押してください。");

// The entry timer runs on the clock of the open timer, so a test that
// steps one steps both.
TrackEntry::TrackEntry(PlayerCore &core, MainSkin &skin, KeyboardTargets &targets, QObject *parent)
    : QObject(parent), entryTimer(core.openTimer.clock()), m_core(core), m_display(skin), m_targets(targets)
{
    connect(&entryTimer, &ClockTimer::timeout, this, &TrackEntry::onEntryTimer);
}

// While a program is reserved a typed track would fight the program, so
// the key only says how to leave program play.
void TrackEntry::digitKey(QChar digit)
{
    restartCount();
    if (m_core.state.programReserved) {
        m_targets.showMessage(kProgramPlayMessage);
        return;
    }
    if (plusTyped != 1) {
        m_display.clear();
        InTr = QLatin1Char('0') + digit;
        applyEntry();
    } else if (m_display.digits().isEmpty()) {
        m_display.showDigits(digit);
    } else {
        InTr = m_display.digits() + digit;
        m_display.clear();
        applyEntry();
    }
}

void TrackEntry::plusKey()
{
    restartCount();
    m_display.clear();
    if (m_core.state.programReserved) {
        m_targets.showMessage(kProgramPlayMessage);
        return;
    }
    m_display.showPlus();
    plusTyped = 1;
}

void TrackEntry::restartCount()
{
    InSec = 0;
    entryTimer.setInterval(kTickMs);
}

// A number that is not on the disc plays nothing, but is still shown and
// still becomes the track that track repeat returns to.
void TrackEntry::applyEntry()
{
    m_display.showDigits(InTr);
    const int track = InTr.toInt();
    PlayerState &s = m_core.state;
    s.repeatTrack = track;
    if (track != 0 && track <= m_core.device.trackCount()) {
        m_core.device.setFrom(track);
        m_core.device.setTrack(track);
        m_core.command(QStringLiteral("play"));
        s.stoppedByUser = false;
        s.playWanted = true;
        s.pausedByUser = false;
    }
    plusTyped = 0;
}

void TrackEntry::onEntryTimer()
{
    ++InSec;
    if (InSec < kTicksShown)
        return;
    m_display.clear();
    plusTyped = 0;
    entryTimer.stop();
}
