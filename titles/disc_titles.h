// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// titles/: a disc's titles and cover from MusicBrainz. The disc ID
// (libdiscid), the cache that keeps them for offline play, the merge with
// the disc's own CD-Text, and the look-up helper that asks the network for
// what the cache lacks (lookup/, a program of its own, so that no network
// stack loads into the player). Uses disc/ and base/ only; knows nothing
// of the player's state or of any window.

#include "disc_id.h"
#include "lookup_helper.h"
#include "title_cache.h"
#include "title_servers.h"

#include <QObject>

#include <memory>

class DiscToc;

// The titles of the disc in the player: its own text, what the cache knows,
// and once they arrive what the database found. Follows the disc the
// device has read; a new disc (or none) drops the old one's answer at once.
class DiscTitles : public QObject {
    Q_OBJECT
public:
    // helper: the look-up program (LookupHelper::installedProgram()).
    DiscTitles(const TitleServers &servers, const TitleCache &cache, Clock *clock, const QString &helper,
               QObject *parent = nullptr);

    // Called with the device's table of contents at each status update;
    // cheap when the disc is the same.
    void follow(const std::shared_ptr<const DiscToc> &toc);

    // Whether these are the titles of that table of contents.
    bool follows(const std::shared_ptr<const DiscToc> &toc) const { return toc == m_toc; }

    // The disc's own text, filled in from the database.
    DiscText text() const;
    // The cover as a file:// URL, empty without one.
    QString coverUrl() const;
    const DiscIdentity &identity() const { return m_identity; }
    // Whether the look-up helper runs (or waits to).
    bool lookingUp() const { return m_helper.busy(); }

signals:
    // The titles or the cover changed.
    void changed();

private:
    void showCached();
    QStringList helperArguments() const;
    void onRecord(const QByteArray &record);

    TitleServers m_servers;
    TitleCache m_cache;
    LookupHelper m_helper;
    std::shared_ptr<const DiscToc> m_toc;
    DiscIdentity m_identity;
    DiscText m_own;
    CachedTitles m_found;
};
