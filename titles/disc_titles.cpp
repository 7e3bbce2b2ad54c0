// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc_titles.h"

#include "disc_toc.h"

#include <QUrl>

DiscTitles::DiscTitles(const TitleServers &servers, const TitleCache &cache, Clock *clock, const QString &helper,
                       QObject *parent)
    : QObject(parent), m_servers(servers), m_cache(cache), m_helper(helper, clock)
{
    connect(&m_helper, &LookupHelper::recordRead, this, &DiscTitles::onRecord);
}

void DiscTitles::follow(const std::shared_ptr<const DiscToc> &toc)
{
    if (toc == m_toc)
        return;
    m_toc = toc;
    const DiscIdentity identity = toc ? discIdentity(*toc) : DiscIdentity{};
    const DiscText own = toc ? toc->text() : DiscText{};
    if (identity.id == m_identity.id && own.album == m_own.album && own.tracks == m_own.tracks)
        return;
    const bool newDisc = identity.id != m_identity.id;
    m_own = own;
    if (newDisc) {
        m_helper.stop();
        m_identity = identity;
        m_found = {};
        showCached();
    }
    emit changed();
}

// What the cache knows is shown at once; the network is asked only for
// what it lacks, and not at all offline.
void DiscTitles::showCached()
{
    if (m_identity.isEmpty())
        return;
    m_found = m_cache.read(m_identity.id);
    const bool lacking = m_found.kind == CachedTitles::Kind::Nothing
        || (m_found.kind == CachedTitles::Kind::Found && m_found.cover == CachedTitles::Cover::Unknown);
    if (lacking && !m_servers.offline)
        m_helper.start(helperArguments());
}

QStringList DiscTitles::helperArguments() const
{
    return {QStringLiteral("--cache"), m_cache.folder(),
            QStringLiteral("--musicbrainz-server"), m_servers.musicBrainz.toString(QUrl::FullyEncoded),
            QStringLiteral("--coverart-server"), m_servers.coverArt.toString(QUrl::FullyEncoded),
            m_identity.id, m_identity.toc};
}

// The disc's own text (CD-Text, a sheet's lines) is what its maker wrote
// and is trusted first; the database fills only what it lacks.
DiscText DiscTitles::text() const { return filledFrom(m_own, m_found.release.text); }

QString DiscTitles::coverUrl() const
{
    if (m_found.cover != CachedTitles::Cover::Stored)
        return QString();
    return QUrl::fromLocalFile(m_cache.coverPath(m_identity.id)).toString();
}

// Titles found, and a cover stored, are news; a miss or a cover that is
// not there changes nothing shown.
void DiscTitles::onRecord(const QByteArray &record)
{
    const CachedTitles found = m_cache.fromRecord(m_identity.id, record);
    if (found.kind == CachedTitles::Kind::Nothing)
        return;
    const bool news = found.kind == CachedTitles::Kind::Found
        && (m_found.kind != CachedTitles::Kind::Found || found.cover != m_found.cover);
    m_found = found;
    if (news)
        emit changed();
}
