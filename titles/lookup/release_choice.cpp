// SPDX-License-Identifier: GPL-3.0-or-later
#include "release_choice.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>

namespace {
QString creditedName(const QJsonArray &credit)
{
    QString name;
    for (const QJsonValue &part : credit)
        name += part[QLatin1String("name")].toString() + part[QLatin1String("joinphrase")].toString();
    return name.trimmed();
}

bool carriesDisc(const QJsonObject &medium, const QString &discId)
{
    for (const QJsonValue &disc : medium[QLatin1String("discs")].toArray())
        if (disc[QLatin1String("id")].toString() == discId)
            return true;
    return false;
}

bool fitsDisc(const QJsonObject &medium, int trackCount)
{
    const QString format = medium[QLatin1String("format")].toString();
    return (format.isEmpty() || format.contains(QLatin1String("CD")))
        && medium[QLatin1String("track-count")].toInt() == trackCount;
}

// The medium of the release that is this disc: by its ID first.
std::optional<QJsonObject> mediumFor(const QJsonObject &release, const QString &discId, int trackCount)
{
    const QJsonArray media = release[QLatin1String("media")].toArray();
    for (const QJsonValue &medium : media)
        if (carriesDisc(medium.toObject(), discId))
            return medium.toObject();
    for (const QJsonValue &medium : media)
        if (fitsDisc(medium.toObject(), trackCount))
            return medium.toObject();
    return std::nullopt;
}

FoundRelease titlesOf(const QJsonObject &release, const QJsonObject &medium, int firstTrack)
{
    FoundRelease found;
    found.releaseId = release[QLatin1String("id")].toString();
    found.text.album = {release[QLatin1String("title")].toString(),
                        creditedName(release[QLatin1String("artist-credit")].toArray())};
    for (const QJsonValue &track : medium[QLatin1String("tracks")].toArray()) {
        const int position = track[QLatin1String("position")].toInt();
        if (position < 1)
            continue;
        const QString performer = creditedName(track[QLatin1String("artist-credit")].toArray());
        found.text.tracks[firstTrack + position - 1] = {track[QLatin1String("title")].toString(),
                                                        performer.isEmpty() ? found.text.album.performer : performer};
    }
    return found;
}

// Dates are "YYYY", "YYYY-MM" or "YYYY-MM-DD", which sort as text; none sorts last.
bool earlier(const QString &date, const QString &than)
{
    return !date.isEmpty() && (than.isEmpty() || date < than);
}
}  // namespace

ReleaseAnswer chooseRelease(const QByteArray &json, const QString &discId, int firstTrack, int trackCount)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()
        || !document[QLatin1String("releases")].isArray())
        return {};
    ReleaseAnswer answer{ReleaseAnswer::Kind::NoRelease, {}};
    QString chosenDate;
    for (const QJsonValue &value : document[QLatin1String("releases")].toArray()) {
        const QJsonObject release = value.toObject();
        const std::optional<QJsonObject> medium = mediumFor(release, discId, trackCount);
        const QString date = release[QLatin1String("date")].toString();
        if (!medium || (answer.kind == ReleaseAnswer::Kind::Found && !earlier(date, chosenDate)))
            continue;
        answer = {ReleaseAnswer::Kind::Found, titlesOf(release, *medium, firstTrack)};
        chosenDate = date;
    }
    return answer;
}
