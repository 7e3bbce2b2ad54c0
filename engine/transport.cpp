// SPDX-License-Identifier: GPL-3.0-or-later
#include "transport.h"

#include "player_core.h"
#include "sequencing.h"

#include <array>

namespace {
constexpr std::array<int, 4> kSeekMs{-10000, -5000, 5000, 10000};
constexpr int kFirstSeekButton = 6;
}  // namespace

void Transport::pressTransportButton(int index)
{
    switch (index) {
    case 0: previous(); break;
    case 1: next(); break;
    case 2: play(); break;
    case 3: pause(); break;
    case 4: stop(); break;
    case 5: eject(); break;
    default:
        if (index >= kFirstSeekButton && index < kFirstSeekButton + int(kSeekMs.size()))
            seekBy(kSeekMs[size_t(index - kFirstSeekButton)]);
    }
}

void Transport::previous() { stepTrack("prev", 2); }

void Transport::next() { stepTrack("next", 1); }

// Without a program the device's own track rule applies; a program steps
// through the program list instead and never asks the device for its neighbour.
void Transport::stepTrack(const char *deviceCommand, int pgmDir)
{
    if (!m_core.hasDisc())
        return;
    PlayerState &s = m_core.state;
    if (!s.programReserved) {
        m_core.command(QLatin1String(deviceCommand));
    } else {
        s.programDirection = qint16(pgmDir);
        m_core.sequencing().stepProgram();
    }
    s.repeatTrack = m_core.device.track();
}

// No From: the device starts where it stands, which after a pause is the
// paused frame and after a stop the start of the track.
void Transport::play()
{
    if (!m_core.hasDisc())
        return;
    m_core.command(QStringLiteral("play"));
    PlayerState &s = m_core.state;
    s.repeatTrack = m_core.device.track();
    s.stoppedByUser = false;
    s.playWanted = true;
    s.pausedByUser = false;
}

// Not a toggle: a paused disc resumes through play.
void Transport::pause()
{
    if (!m_core.hasDisc() || m_core.device.mode() != CdAudioControl::ModePlaying)
        return;
    m_core.command(QStringLiteral("pause"));
    m_core.state.playWanted = false;
    m_core.state.pausedByUser = true;
}

// Stopped at the start of a track, so that a later play starts there.
void Transport::stop()
{
    if (!m_core.hasDisc())
        return;
    m_core.command(QStringLiteral("prev"));
    m_core.command(QStringLiteral("stop"));
    PlayerState &s = m_core.state;
    s.stoppedByUser = true;
    s.pausedByUser = false;
    s.playWanted = false;
}

// Drops any program without asking; the open timer finds the next disc.
void Transport::eject()
{
    if (!m_core.hasDisc())
        return;
    m_core.device.setTrack(1);
    m_core.device.setFrom(1);
    m_core.command(QStringLiteral("stop"));
    m_core.command(QStringLiteral("eject"));
    m_core.resetForNoDisc();
    m_core.device.setUpdateInterval(0);
    m_core.openTimer.setInterval(kReopenAfterEjectMs);
}

// The sum wraps as a 32-bit value would; whatever it lands on is the
// device's to judge, so no disc check either.
void Transport::seekBy(int ms)
{
    CdAudioControl &mmc = m_core.device;
    mmc.setTimeFormat(CdAudioControl::TimeFormatMilliseconds);
    const qint32 target = qint32(quint32(mmc.position()) + quint32(ms));
    mmc.setFrom(target);
    m_core.command(QStringLiteral("play"));
    mmc.setTimeFormat(CdAudioControl::TimeFormatTmsf);
}

void Transport::cycleRepeat()
{
    if (m_core.hasDisc())
        nextMode();
    m_core.state.repeatTrack = m_core.trackField.text().toInt();
}

void Transport::nextMode()
{
    PlayerState &s = m_core.state;
    if (!s.programReserved && (s.playMode == ModeNormal || s.playMode == ModeTrackRepeat || s.playMode == ModeDiscRepeat))
        s.playMode = s.playMode == ModeDiscRepeat ? qint16(ModeNormal) : qint16(s.playMode + 1);
    else if (s.programReserved && (s.playMode == ModeProgram || s.playMode == ModeProgramRepeat))
        s.playMode = s.playMode == ModeProgram ? ModeProgramRepeat : ModeProgram;
}

void Transport::toggleMute()
{
    PlayerState &s = m_core.state;
    s.muted = !s.muted;
    m_core.device.setSilent(s.muted);
}
