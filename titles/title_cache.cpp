// SPDX-License-Identifier: GPL-3.0-or-later
#include "title_cache.h"

#include "atomic_file.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {
// Records are a few kilobytes; a larger file is not one of ours.
constexpr qint64 kMaxRecordBytes = 1 << 20;
const char *const kCoverStates[] = {"unknown", "stored", "absent"};

QJsonObject entryJson(const DiscText::Entry &entry)
{
    return {{QStringLiteral("title"), entry.title}, {QStringLiteral("performer"), entry.performer}};
}

DiscText::Entry entryFrom(const QJsonValue &json)
{
    return {json[QLatin1String("title")].toString(), json[QLatin1String("performer")].toString()};
}

QJsonObject recordJson(const CachedTitles &titles, qint64 nowMs)
{
    QJsonObject tracks;
    for (const auto &[number, entry] : titles.release.text.tracks)
        tracks.insert(QString::number(number), entryJson(entry));
    return {{QStringLiteral("miss"), titles.kind == CachedTitles::Kind::Miss},
            {QStringLiteral("stored"), double(nowMs)},
            {QStringLiteral("release"), titles.release.releaseId},
            {QStringLiteral("album"), entryJson(titles.release.text.album)},
            {QStringLiteral("tracks"), tracks},
            {QStringLiteral("cover"), QLatin1String(kCoverStates[int(titles.cover)])}};
}

CachedTitles recordFrom(const QJsonObject &json)
{
    CachedTitles titles;
    titles.kind = json[QLatin1String("miss")].toBool() ? CachedTitles::Kind::Miss : CachedTitles::Kind::Found;
    titles.release.releaseId = json[QLatin1String("release")].toString();
    titles.release.text.album = entryFrom(json[QLatin1String("album")]);
    const QJsonObject tracks = json[QLatin1String("tracks")].toObject();
    for (auto it = tracks.begin(); it != tracks.end(); ++it)
        titles.release.text.tracks[it.key().toInt()] = entryFrom(it.value());
    for (int state = 0; state < 3; ++state)
        if (json[QLatin1String("cover")].toString() == QLatin1String(kCoverStates[state]))
            titles.cover = CachedTitles::Cover(state);
    return titles;
}

bool writeWhole(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    return replaceFileWhole(path, bytes);
}
}  // namespace

TitleCache::TitleCache(const QString &folder, std::function<qint64()> wallClockMs)
    : m_folder(folder), m_wallClockMs(std::move(wallClockMs))
{
}

QString TitleCache::standardFolder() { return QStandardPaths::writableLocation(QStandardPaths::CacheLocation); }

// Disc IDs are made of letters, digits and ".-_"; anything else never
// names a file here.
QString TitleCache::recordPath(const QString &discId) const
{
    static const QRegularExpression safe(QStringLiteral("^[A-Za-z0-9._-]{1,64}$"));
    return safe.match(discId).hasMatch() ? m_folder + QStringLiteral("/titles/") + discId + QStringLiteral(".json")
                                         : QString();
}

QString TitleCache::coverPath(const QString &discId) const
{
    const QString record = recordPath(discId);
    return record.isEmpty() ? QString() : m_folder + QStringLiteral("/covers/") + discId + QStringLiteral(".jpg");
}

CachedTitles TitleCache::read(const QString &discId) const
{
    QFile file(recordPath(discId));
    if (file.fileName().isEmpty() || file.size() > kMaxRecordBytes || !file.open(QIODevice::ReadOnly))
        return {};
    return fromRecord(discId, file.readAll());
}

QByteArray TitleCache::record(const CachedTitles &titles) const
{
    return QJsonDocument(recordJson(titles, m_wallClockMs())).toJson(QJsonDocument::Compact);
}

CachedTitles TitleCache::fromRecord(const QString &discId, const QByteArray &record) const
{
    const QJsonObject json = QJsonDocument::fromJson(record).object();
    // A record always says when it was stored; JSON without that is not one.
    if (!json[QLatin1String("stored")].isDouble() || recordPath(discId).isEmpty())
        return {};
    CachedTitles titles = recordFrom(json);
    const qint64 age = m_wallClockMs() - qint64(json[QLatin1String("stored")].toDouble());
    if (titles.kind == CachedTitles::Kind::Miss && (age < 0 || age >= kMissKeptMs))
        return {};
    if (titles.cover == CachedTitles::Cover::Stored && !QFile::exists(coverPath(discId)))
        titles.cover = CachedTitles::Cover::Unknown;
    return titles;
}

bool TitleCache::store(const QString &discId, const CachedTitles &titles)
{
    const QString path = recordPath(discId);
    return !path.isEmpty() && writeWhole(path, record(titles));
}

bool TitleCache::storeCover(const QString &discId, const QByteArray &image)
{
    const QString path = coverPath(discId);
    return !path.isEmpty() && writeWhole(path, image);
}
