// SPDX-License-Identifier: GPL-3.0-or-later
#include "transport.h"

#include "player_core.h"
#include "sequencing.h"

#include <array>

namespace {
constexpr std::array<int, 4> kSeekMs{-10000, -5000, 5000, 10000};
constexpr int kFirstSeekButton = 6;
}  // namespace

void Transport::ContP(int index)
{
    switch (index) {
    case 0: DoPrev(); break;
    case 1: DoNext(); break;
    case 2: DoPlay(); break;
    case 3: DoPause(); break;
    case 4: DoStop(); break;
    case 5: DoEject(); break;
    default:
        if (index >= kFirstSeekButton && index < kFirstSeekButton + int(kSeekMs.size()))
            seekBy(kSeekMs[size_t(index - kFirstSeekButton)]);
    }
}

void Transport::DoPrev() { stepTrack("prev", 2); }

void Transport::DoNext() { stepTrack("next", 1); }

// Without a program the device's own track rule applies; a program steps
// through List1 instead and never asks the device for its neighbour.
void Transport::stepTrack(const char *deviceCommand, int pgmDir)
{
    if (!m_core.hasDisc())
        return;
    PlayerState &s = m_core.state;
    if (s.PgmPlay == 0) {
        m_core.command(QLatin1String(deviceCommand));
    } else if (s.PgmPlay == 1) {
        s.PgmDir = qint16(pgmDir);
        m_core.sequencing().StepPgm();
    }
    s.RepTr = m_core.MMC.Track();
}

// No From: the device starts where it stands, which after a pause is the
// paused frame and after a stop the start of the track.
void Transport::DoPlay()
{
    if (!m_core.hasDisc())
        return;
    m_core.command(QStringLiteral("play"));
    PlayerState &s = m_core.state;
    s.RepTr = m_core.MMC.Track();
    s.Stp = 0;
    s.Ply = 1;
    s.Pose = 0;
}

// Not a toggle: a paused disc resumes through DoPlay.
void Transport::DoPause()
{
    if (!m_core.hasDisc() || m_core.MMC.Mode() != CdAudioControl::ModePlaying)
        return;
    m_core.command(QStringLiteral("pause"));
    m_core.state.Ply = 0;
    m_core.state.Pose = 1;
}

// Stopped at the start of a track, so that a later play starts there.
void Transport::DoStop()
{
    if (!m_core.hasDisc())
        return;
    m_core.command(QStringLiteral("prev"));
    m_core.command(QStringLiteral("stop"));
    PlayerState &s = m_core.state;
    s.Stp = 1;
    s.Pose = 0;
    s.Ply = 0;
}

// Drops any program without asking; the open timer finds the next disc.
void Transport::DoEject()
{
    if (!m_core.hasDisc())
        return;
    m_core.MMC.setTrack(1);
    m_core.MMC.setFrom(1);
    m_core.command(QStringLiteral("stop"));
    m_core.command(QStringLiteral("eject"));
    m_core.resetForNoDisc();
    m_core.MMC.setUpdateInterval(0);
    m_core.Timer1.setInterval(kReopenAfterEjectMs);
}

// The sum wraps as a 32-bit value would; whatever it lands on is the
// device's to judge, so no disc check either.
void Transport::seekBy(int ms)
{
    CdAudioControl &mmc = m_core.MMC;
    mmc.setTimeFormat(CdAudioControl::TimeFormatMilliseconds);
    const qint32 target = qint32(quint32(mmc.Position()) + quint32(ms));
    mmc.setFrom(target);
    m_core.command(QStringLiteral("play"));
    mmc.setTimeFormat(CdAudioControl::TimeFormatTmsf);
}

void Transport::Repeat()
{
    if (m_core.hasDisc())
        nextMode();
    m_core.state.RepTr = m_core.Text1.text().toInt();
}

void Transport::nextMode()
{
    PlayerState &s = m_core.state;
    if (s.PgmPlay == 0 && (s.B == ModeNormal || s.B == ModeTrackRepeat || s.B == ModeDiscRepeat))
        s.B = s.B == ModeDiscRepeat ? qint16(ModeNormal) : qint16(s.B + 1);
    else if (s.PgmPlay == 1 && (s.B == ModeProgram || s.B == ModeProgramRepeat))
        s.B = s.B == ModeProgram ? ModeProgramRepeat : ModeProgram;
}

void Transport::ToggleMute()
{
    PlayerState &s = m_core.state;
    if (s.Mute == 0) {
        m_core.MMC.setSilent(true);
        s.Mute = 1;
    } else if (s.Mute == 1) {
        m_core.MMC.setSilent(false);
        s.Mute = 0;
    }
}
