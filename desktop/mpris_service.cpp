// SPDX-License-Identifier: GPL-3.0-or-later
#include "mpris_service.h"

#include "disc_titles.h"
#include "mpris_player.h"
#include "mpris_properties.h"
#include "mpris_root.h"
#include "player_core.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include <cstdio>

namespace {
// A status update comes every 200 ms; a position further off than this from
// where the last one and the time between would put it was a jump.
constexpr qint64 kJumpUs = 1000000;
constexpr qint64 kStatusIntervalUs = qint64(PlayerCore::kStatusIntervalMs) * 1000;
}  // namespace

MprisService::MprisService(PlayerCore &core, Transport &transport, MprisTargets &window, QObject *parent)
    : QObject(parent), m_core(core), m_playback(core, transport), m_bus(QString())
{
    new MprisRoot(this, window);
    m_player = new MprisPlayer(this, m_playback);
    new MprisProperties(this, *this);
    connect(&m_playback, &MprisPlayback::seeked, this, [this](qint64 positionUs) { m_lastPositionUs = positionUs; });
    // Connected after the core's own handler, so the state read here is the
    // state this update left.
    connect(&m_core.device, &CdAudioControl::statusUpdate, this, &MprisService::afterStatusUpdate);
}

bool MprisService::registerOn(QDBusConnection bus)
{
    m_bus = bus;
    const char *problem = nullptr;
    if (!bus.isConnected())
        problem = "there is no session bus";
    else if (!bus.registerObject(QLatin1String(kObjectPath), this, QDBusConnection::ExportAdaptors))
        problem = "its object cannot be registered";
    else if (!bus.registerService(QLatin1String(kServiceName)))
        problem = "the name " "org.mpris.MediaPlayer2.velor_cdplayer" " is taken";
    if (problem) {
        std::fprintf(stderr, "velor-cdplayer: the desktop's media controls cannot reach the player: %s\n",
                     problem);
        return false;
    }
    m_announced = changingProperties();
    return true;
}

// Titles arrive between status updates; the change is announced when they do.
void MprisService::showTitles(DiscTitles &titles)
{
    m_playback.showTitles(&titles);
    connect(&titles, &DiscTitles::changed, this, [this] {
        if (m_bus.isConnected())
            announcePropertyChanges();
    });
}

QVariantMap MprisService::changingProperties() const
{
    QVariantMap map = MprisProperties::readAll(m_player);
    // The position moves all the time; the desktop asks for it.
    map.remove(QStringLiteral("Position"));
    return map;
}

bool MprisService::Sources::operator==(const Sources &other) const
{
    return track == other.track && mode == other.mode && toc == other.toc && volume == other.volume
        && playMode == other.playMode && playWanted == other.playWanted && pausedByUser == other.pausedByUser
        && programReserved == other.programReserved && program == other.program;
}

MprisService::Sources MprisService::sources() const
{
    const PlayerState &state = m_core.state;
    return {m_core.trackField.text(), m_core.device.mode(), m_core.device.toc().get(), m_core.device.volume(),
            state.playMode, state.playWanted, state.pausedByUser, state.programReserved, m_core.programList};
}

void MprisService::afterStatusUpdate()
{
    if (!m_bus.isConnected())
        return;
    if (Sources now = sources(); !m_announcedFrom || !(*m_announcedFrom == now)) {
        m_announcedFrom = std::move(now);
        announcePropertyChanges();
    }

    const int track = m_playback.currentTrack();
    const qint64 position = m_playback.positionUs();
    const bool playing = m_core.device.mode() == CdAudioControl::ModePlaying;
    const qint64 expected = m_lastPositionUs + (playing ? kStatusIntervalUs : 0);
    if (track != 0 && track == m_lastTrack && qAbs(position - expected) > kJumpUs)
        m_playback.announceSeek();
    m_lastTrack = track;
    m_lastPositionUs = position;
}

void MprisService::announcePropertyChanges()
{
    const QVariantMap now = changingProperties();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (m_announced.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    m_announced = now;
    if (!changed.isEmpty())
        announceChanges(changed);
}

void MprisService::announceChanges(const QVariantMap &changed)
{
    QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(kObjectPath),
                                                     QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << changed << QStringList();
    m_bus.send(signal);
}
