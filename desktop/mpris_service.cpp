// SPDX-License-Identifier: GPL-3.0-or-later
#include "mpris_service.h"

#include "mpris_player.h"
#include "mpris_properties.h"
#include "mpris_root.h"
#include "mpris_values.h"
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
    : QObject(parent), m_core(core), m_transport(transport), m_bus(QString())
{
    new MprisRoot(this, window);
    new MprisPlayer(*this);
    new MprisProperties(this, *this);
    // Connected after the core's own handler, so the state read here is the
    // state this update left.
    connect(&m_core.MMC, &CdAudioControl::StatusUpdate, this, &MprisService::afterStatusUpdate);
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

int MprisService::currentTrack() const { return m_core.hasDisc() ? m_core.Text1.text().toInt() : 0; }

qint64 MprisService::positionUs() const
{
    return currentTrack() ? Mpris::tmsfPositionUs(m_core.MMC.Position()) : 0;
}

qint64 MprisService::trackLengthUs() const
{
    return currentTrack() ? Mpris::msfLengthUs(m_core.MMC.TrackLength()) : 0;
}

QVariantMap MprisService::changingProperties() const
{
    QVariantMap map = MprisProperties::readAll(findChild<MprisPlayer *>(QString(), Qt::FindDirectChildrenOnly));
    // The position moves all the time; the desktop asks for it.
    map.remove(QStringLiteral("Position"));
    return map;
}

void MprisService::afterStatusUpdate()
{
    if (!m_bus.isConnected())
        return;
    const QVariantMap now = changingProperties();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (m_announced.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    m_announced = now;
    if (!changed.isEmpty())
        announceChanges(changed);

    const int track = currentTrack();
    const qint64 position = positionUs();
    const bool playing = m_core.MMC.Mode() == CdAudioControl::ModePlaying;
    const qint64 expected = m_lastPositionUs + (playing ? kStatusIntervalUs : 0);
    if (track != 0 && track == m_lastTrack && qAbs(position - expected) > kJumpUs)
        announceSeek();
    m_lastTrack = track;
    m_lastPositionUs = position;
}

void MprisService::announceChanges(const QVariantMap &changed)
{
    QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(kObjectPath),
                                                     QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << changed << QStringList();
    m_bus.send(signal);
}

void MprisService::announceSeek()
{
    m_lastPositionUs = positionUs();
    if (auto *player = findChild<MprisPlayer *>(QString(), Qt::FindDirectChildrenOnly))
        emit player->Seeked(m_lastPositionUs);
}
