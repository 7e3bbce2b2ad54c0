// SPDX-License-Identifier: GPL-3.0-or-later
#include "mpris_values.h"

#include <QDBusObjectPath>
#include <QStringList>

namespace Mpris {
namespace {
constexpr qint64 kFramesPerSecond = 75;

int byteOf(qint32 value, int index) { return (quint32(value) >> (8 * index)) & 0xFF; }

qint64 msfUs(int minutes, int seconds, int frames)
{
    return ((minutes * 60 + seconds) * kFramesPerSecond + frames) * 1000000 / kFramesPerSecond;
}
}  // namespace

QString playbackStatus(const PlayerState &state, bool hasDisc)
{
    if (!hasDisc)
        return QStringLiteral("Stopped");
    if (state.pausedByUser)
        return QStringLiteral("Paused");
    return state.playWanted ? QStringLiteral("Playing") : QStringLiteral("Stopped");
}

QString loopStatus(qint16 playMode)
{
    switch (playMode) {
    case ModeTrackRepeat: return QStringLiteral("Track");
    case ModeDiscRepeat:
    case ModeProgramRepeat: return QStringLiteral("Playlist");
    default: return QStringLiteral("None");
    }
}

int modeForLoopStatus(const QString &loop, qint16 pgmPlay)
{
    if (pgmPlay == 1) {
        if (loop == QLatin1String("None"))
            return ModeProgram;
        return loop == QLatin1String("Playlist") ? ModeProgramRepeat : -1;
    }
    if (loop == QLatin1String("None"))
        return ModeNormal;
    if (loop == QLatin1String("Track"))
        return ModeTrackRepeat;
    return loop == QLatin1String("Playlist") ? ModeDiscRepeat : -1;
}

QString trackId(int track)
{
    return track > 0 ? QStringLiteral("/org/velor/cdplayer/track/%1").arg(track, 2, 10, QLatin1Char('0'))
                     : QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");
}

QVariantMap metadata(int track, qint64 lengthUs, const DiscText &text, const QString &artUrl)
{
    QVariantMap map{{QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(trackId(track)))}};
    if (track <= 0)
        return map;
    const DiscText::Entry entry = text.track(track);
    const QString performer = entry.performer.isEmpty() ? text.album.performer : entry.performer;
    map.insert(QStringLiteral("xesam:trackNumber"), track);
    map.insert(QStringLiteral("mpris:length"), lengthUs);
    map.insert(QStringLiteral("xesam:title"),
               entry.title.isEmpty() ? QStringLiteral("Track %1").arg(track, 2, 10, QLatin1Char('0')) : entry.title);
    if (!performer.isEmpty())
        map.insert(QStringLiteral("xesam:artist"), QStringList{performer});
    if (!text.album.title.isEmpty())
        map.insert(QStringLiteral("xesam:album"), text.album.title);
    if (!text.album.performer.isEmpty())
        map.insert(QStringLiteral("xesam:albumArtist"), QStringList{text.album.performer});
    if (!artUrl.isEmpty())
        map.insert(QStringLiteral("mpris:artUrl"), artUrl);
    return map;
}

qint64 tmsfPositionUs(qint32 tmsf) { return msfUs(byteOf(tmsf, 1), byteOf(tmsf, 2), byteOf(tmsf, 3)); }

qint64 msfLengthUs(qint32 msf) { return msfUs(byteOf(msf, 0), byteOf(msf, 1), byteOf(msf, 2)); }

}  // namespace Mpris
