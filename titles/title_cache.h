// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "found_release.h"

#include <QString>

#include <functional>

// What is known of a disc without asking: its titles and whether its cover
// is kept, or that the database did not know it (for a day).
struct CachedTitles {
    enum class Kind { Nothing, Found, Miss };
    enum class Cover { Unknown, Stored, Absent };
    Kind kind = Kind::Nothing;
    FoundRelease release;
    Cover cover = Cover::Unknown;
};

// One small file per disc ID in the folder (the user's cache folder in the
// player), each written whole or not at all, so a disc seen once keeps its
// titles offline for good. The wall clock only ages remembered misses.
class TitleCache {
public:
    static constexpr qint64 kMissKeptMs = 24 * 3600 * 1000;

    TitleCache(const QString &folder, std::function<qint64()> wallClockMs);

    CachedTitles read(const QString &discId) const;
    // A disc's record as it is kept, one line of JSON, and back: the
    // look-up helper hands over what it stored this way, so the titles
    // are shown even where the folder cannot be written.
    QByteArray record(const CachedTitles &titles) const;
    CachedTitles fromRecord(const QString &discId, const QByteArray &record) const;
    // False when the file could not be written; the titles are still shown.
    bool store(const QString &discId, const CachedTitles &titles);
    bool storeCover(const QString &discId, const QByteArray &image);
    QString coverPath(const QString &discId) const;
    const QString &folder() const { return m_folder; }

    // The user's cache folder for the player.
    static QString standardFolder();

private:
    QString recordPath(const QString &discId) const;

    QString m_folder;
    std::function<qint64()> m_wallClockMs;
};
