// SPDX-License-Identifier: GPL-3.0-or-later
#include "mpris_player.h"

#include "mpris_playback.h"
#include "mpris_values.h"
#include "audio_output.h"
#include "disc_toc.h"
#include "player_core.h"
#include "sequencing.h"
#include "transport.h"

#include <algorithm>
#include <cmath>

MprisPlayer::MprisPlayer(QObject *parent, MprisPlayback &playback)
    : QDBusAbstractAdaptor(parent), m_playback(playback)
{
    setAutoRelaySignals(false);
    connect(&playback, &MprisPlayback::seeked, this, &MprisPlayer::Seeked);
}

QString MprisPlayer::playbackStatus() const
{
    return Mpris::playbackStatus(m_playback.core().state, m_playback.core().hasDisc());
}

QString MprisPlayer::loopStatus() const { return Mpris::loopStatus(m_playback.core().state.playMode); }

// The repeat button steps through the modes of the current family; pressing
// it until the asked mode comes up is what a user would do.
void MprisPlayer::setLoopStatus(const QString &loop)
{
    PlayerCore &core = m_playback.core();
    const int wanted = Mpris::modeForLoopStatus(loop, core.state.programReserved);
    if (wanted < 0 || !core.hasDisc())
        return;
    for (int press = 0; press < 3 && core.state.playMode != wanted; ++press)
        m_playback.transport().cycleRepeat();
}

// MPRIS asks that a rate of 0 pauses; the disc plays at no other rate.
void MprisPlayer::setRate(double rate)
{
    if (rate == 0.0)
        Pause();
}

double MprisPlayer::volume() const { return m_playback.core().device.volume(); }

// Below 0 is 0, as MPRIS asks, and the sound is never made louder than the
// disc. The mute button keeps its own state.
void MprisPlayer::setVolume(double volume)
{
    if (!std::isnan(volume))
        m_playback.core().device.setVolume(std::clamp(volume, 0.0, 1.0));
}

QVariantMap MprisPlayer::metadata() const
{
    return Mpris::metadata(m_playback.currentTrack(), m_playback.trackLengthUs(), m_playback.discText(),
                           m_playback.artUrl());
}

qlonglong MprisPlayer::position() const { return m_playback.positionUs(); }

bool MprisPlayer::canControlDisc() const { return m_playback.core().hasDisc(); }

// Whether a press of next or previous reaches another track: in a program
// the step wraps round the list to the neighbouring entry; otherwise the
// device's own rule stays on the last (or first) audio track.
bool MprisPlayer::canStep(int direction) const
{
    const PlayerCore &core = m_playback.core();
    if (!core.hasDisc())
        return false;
    if (!core.state.programReserved)
        return core.device.hasNeighbourTrack(direction == kForward);
    const std::optional<int> entry = core.sequencing().entryAfterStep(direction);
    return entry && *entry >= 0 && *entry < core.programList.count()
        && core.programList.entry(*entry).toInt() != m_playback.currentTrack();
}

void MprisPlayer::Play() { m_playback.transport().play(); }

void MprisPlayer::Pause() { m_playback.transport().pause(); }

void MprisPlayer::PlayPause()
{
    if (m_playback.core().device.mode() == CdAudioControl::ModePlaying)
        m_playback.transport().pause();
    else
        m_playback.transport().play();
}

void MprisPlayer::Stop() { m_playback.transport().stop(); }

// MPRIS asks that these do nothing where CanGoNext or CanGoPrevious is
// false, so the desktop's buttons never restart the track they show.
void MprisPlayer::Next()
{
    if (canGoNext())
        m_playback.transport().next();
}

void MprisPlayer::Previous()
{
    if (canGoPrevious())
        m_playback.transport().previous();
}

// Within the track: MPRIS asks that a seek past its end acts as Next and
// one before its start goes to the start. Position and length are within a
// track, so comparing the offset with them cannot overflow.
void MprisPlayer::Seek(qlonglong offsetUs)
{
    if (!canControlDisc())
        return;
    const qint64 position = m_playback.positionUs();
    if (offsetUs >= m_playback.trackLengthUs() - position)
        return Next();
    jumpWithinTrack(offsetUs <= -position ? 0 : position + offsetUs);
}

// Only within the current track, and ignored for any other (as the desktop
// asks of a stale track id) or outside the track.
void MprisPlayer::SetPosition(const QDBusObjectPath &trackId, qlonglong positionUs)
{
    const int track = m_playback.currentTrack();
    if (track == 0 || trackId.path() != Mpris::trackId(track) || positionUs < 0
        || positionUs >= m_playback.trackLengthUs())
        return;
    jumpWithinTrack(positionUs);
}

// As the skin's seek buttons, the device plays from the new place with no
// change of state; the place is given as track and CD frame, so that the
// start of the track is never taken for the end of the one before.
void MprisPlayer::jumpWithinTrack(qint64 positionUs)
{
    PlayerCore &core = m_playback.core();
    core.device.setFrom(packTmsf(m_playback.currentTrack(), positionUs * kSectorsPerSecond / 1000000));
    core.command(QStringLiteral("play"));
    m_playback.announceSeek();
}
