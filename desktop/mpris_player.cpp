// SPDX-License-Identifier: GPL-3.0-or-later
#include "mpris_player.h"

#include "mpris_service.h"
#include "mpris_values.h"
#include "audio_output.h"
#include "disc_toc.h"
#include "player_core.h"
#include "sequencing.h"
#include "transport.h"

#include <algorithm>
#include <cmath>

MprisPlayer::MprisPlayer(MprisService &service) : QDBusAbstractAdaptor(&service), m_service(service)
{
    setAutoRelaySignals(false);
}

QString MprisPlayer::playbackStatus() const
{
    return Mpris::playbackStatus(m_service.core().state, m_service.core().hasDisc());
}

QString MprisPlayer::loopStatus() const { return Mpris::loopStatus(m_service.core().state.B); }

// The repeat button steps through the modes of the current family; pressing
// it until the asked mode comes up is what a user would do.
void MprisPlayer::setLoopStatus(const QString &loop)
{
    PlayerCore &core = m_service.core();
    const int wanted = Mpris::modeForLoopStatus(loop, core.state.PgmPlay);
    if (wanted < 0 || !core.hasDisc())
        return;
    for (int press = 0; press < 3 && core.state.B != wanted; ++press)
        m_service.transport().Repeat();
}

// MPRIS asks that a rate of 0 pauses; the disc plays at no other rate.
void MprisPlayer::setRate(double rate)
{
    if (rate == 0.0)
        Pause();
}

double MprisPlayer::volume() const { return m_service.core().MMC.volume(); }

// Below 0 is 0, as MPRIS asks, and the sound is never made louder than the
// disc. The mute button keeps its own state.
void MprisPlayer::setVolume(double volume)
{
    if (!std::isnan(volume))
        m_service.core().MMC.setVolume(std::clamp(volume, 0.0, 1.0));
}

QVariantMap MprisPlayer::metadata() const
{
    return Mpris::metadata(m_service.currentTrack(), m_service.trackLengthUs(),
                           m_service.core().MMC.discText());
}

qlonglong MprisPlayer::position() const { return m_service.positionUs(); }

bool MprisPlayer::canControlDisc() const { return m_service.core().hasDisc(); }

// Whether a press of next or previous reaches another track: in a program
// the step wraps round the list to the neighbouring entry; otherwise the
// device's own rule stays on the last (or first) audio track.
bool MprisPlayer::canStep(int direction) const
{
    const PlayerCore &core = m_service.core();
    if (!core.hasDisc())
        return false;
    if (core.state.PgmPlay == 0)
        return core.MMC.hasNeighbourTrack(direction == kForward);
    if (core.state.PgmPlay != 1)
        return false;
    const std::optional<int> entry = core.sequencing().entryAfterStep(direction);
    return entry && *entry >= 0 && *entry < core.List1.count()
        && core.List1.entry(*entry).toInt() != m_service.currentTrack();
}

void MprisPlayer::Play() { m_service.transport().DoPlay(); }

void MprisPlayer::Pause() { m_service.transport().DoPause(); }

void MprisPlayer::PlayPause()
{
    if (m_service.core().MMC.Mode() == CdAudioControl::ModePlaying)
        m_service.transport().DoPause();
    else
        m_service.transport().DoPlay();
}

void MprisPlayer::Stop() { m_service.transport().DoStop(); }

void MprisPlayer::Next() { m_service.transport().DoNext(); }

void MprisPlayer::Previous() { m_service.transport().DoPrev(); }

// Within the track: MPRIS asks that a seek past its end acts as Next and
// one before its start goes to the start. Position and length are within a
// track, so comparing the offset with them cannot overflow.
void MprisPlayer::Seek(qlonglong offsetUs)
{
    if (!canControlDisc())
        return;
    const qint64 position = m_service.positionUs();
    if (offsetUs >= m_service.trackLengthUs() - position)
        return Next();
    jumpWithinTrack(offsetUs <= -position ? 0 : position + offsetUs);
}

// Only within the current track, and ignored for any other (as the desktop
// asks of a stale track id) or outside the track.
void MprisPlayer::SetPosition(const QDBusObjectPath &trackId, qlonglong positionUs)
{
    const int track = m_service.currentTrack();
    if (track == 0 || trackId.path() != Mpris::trackId(track) || positionUs < 0
        || positionUs >= m_service.trackLengthUs())
        return;
    jumpWithinTrack(positionUs);
}

// As the skin's seek buttons, the device plays from the new place with no
// change of state; the place is given as track and CD frame, so that the
// start of the track is never taken for the end of the one before.
void MprisPlayer::jumpWithinTrack(qint64 positionUs)
{
    PlayerCore &core = m_service.core();
    core.MMC.setFrom(packTmsf(m_service.currentTrack(), positionUs * kSectorsPerSecond / 1000000));
    core.command(QStringLiteral("play"));
    m_service.announceSeek();
}
