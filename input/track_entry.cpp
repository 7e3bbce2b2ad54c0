// SPDX-License-Identifier: GPL-3.0-or-later
#include "track_entry.h"

#include "keyboard_targets.h"
#include "player_core.h"

const QString TrackEntry::kProgramPlayMessage = QStringLiteral(
    "プログラム再生中です。解除するには［予約解除］を押してください。");

// The entry timer runs on the clock of the open timer, so a test that
// steps one steps both.
TrackEntry::TrackEntry(PlayerCore &core, MainSkin &skin, KeyboardTargets &targets, QObject *parent)
    : QObject(parent), Timer2(core.Timer1.clock()), m_core(core), m_display(skin), m_targets(targets)
{
    connect(&Timer2, &ClockTimer::timeout, this, &TrackEntry::Timer2_Timer);
}

// While a program is reserved a typed track would fight the program, so
// the key only says how to leave program play.
void TrackEntry::digitKey(QChar digit)
{
    restartCount();
    if (m_core.state.PgmPlay == 1) {
        m_targets.showMessage(kProgramPlayMessage);
        return;
    }
    if (PlusIn != 1) {
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
    if (m_core.state.PgmPlay == 1) {
        m_targets.showMessage(kProgramPlayMessage);
        return;
    }
    m_display.showPlus();
    PlusIn = 1;
}

void TrackEntry::restartCount()
{
    InSec = 0;
    Timer2.setInterval(kTickMs);
}

// A number that is not on the disc plays nothing, but is still shown and
// still becomes the track that track repeat returns to.
void TrackEntry::applyEntry()
{
    m_display.showDigits(InTr);
    const int track = InTr.toInt();
    PlayerState &s = m_core.state;
    s.RepTr = track;
    if (track != 0 && track <= m_core.MMC.Tracks()) {
        m_core.MMC.setFrom(track);
        m_core.MMC.setTrack(track);
        m_core.command(QStringLiteral("play"));
        s.Stp = 0;
        s.Ply = 1;
        s.Pose = 0;
    }
    PlusIn = 0;
}

void TrackEntry::Timer2_Timer()
{
    ++InSec;
    if (InSec < kTicksShown)
        return;
    m_display.clear();
    PlusIn = 0;
    Timer2.stop();
}
