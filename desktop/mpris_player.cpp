#include "mpris_player.h"

#include "mpris_service.h"
#include "mpris_values.h"
#include "player_core.h"
#include "transport.h"

#include <algorithm>
#include <climits>

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

double MprisPlayer::volume() const { return m_service.core().state.Mute == 1 ? 0.0 : 1.0; }

// The player has no volume of its own, only the mute button.
void MprisPlayer::setVolume(double volume)
{
    if ((volume <= 0.0) != (m_service.core().state.Mute == 1))
        m_service.transport().ToggleMute();
}

QVariantMap MprisPlayer::metadata() const
{
    return Mpris::metadata(m_service.currentTrack(), m_service.trackLengthUs(),
                           m_service.core().MMC.discText());
}

qlonglong MprisPlayer::position() const { return m_service.positionUs(); }

bool MprisPlayer::canControlDisc() const { return m_service.core().hasDisc(); }

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

// The same relative jump as the skin's seek buttons, by any amount.
void MprisPlayer::Seek(qlonglong offsetUs)
{
    if (!canControlDisc())
        return;
    const qlonglong ms = std::clamp<qlonglong>(offsetUs / 1000, INT_MIN, INT_MAX);
    m_service.transport().seekBy(int(ms));
    m_service.announceSeek();
}

// Only within the current track, and ignored for any other (as the desktop
// asks of a stale track id) or outside the track.
void MprisPlayer::SetPosition(const QDBusObjectPath &trackId, qlonglong positionUs)
{
    const int track = m_service.currentTrack();
    if (track == 0 || trackId.path() != Mpris::trackId(track) || positionUs < 0
        || positionUs > m_service.trackLengthUs())
        return;
    m_service.transport().seekBy(int((positionUs - m_service.positionUs()) / 1000));
    m_service.announceSeek();
}
