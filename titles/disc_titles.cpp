// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc_titles.h"

#include "disc_toc.h"

#include <QUrl>

DiscTitles::DiscTitles(const TitleServers &servers, const TitleCache &cache, Clock *clock, QObject *parent)
    : QObject(parent), m_cache(cache), m_lookup(servers, clock)
{
    connect(&m_lookup, &TitleLookup::titlesFound, this, &DiscTitles::onTitlesFound);
    connect(&m_lookup, &TitleLookup::coverFound, this, &DiscTitles::onCover);
    connect(&m_lookup, &TitleLookup::coverAbsent, this,
            [this](const QString &discId) { rememberCover(discId, CachedTitles::Cover::Absent); });
    connect(&m_lookup, &TitleLookup::discUnknown, this, [this](const QString &discId) {
        if (discId == m_identity.id)
            m_cache.store(discId, {CachedTitles::Kind::Miss, {}, CachedTitles::Cover::Unknown});
    });
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
        m_lookup.cancel();
        m_identity = identity;
        m_found = {};
        showCached();
    }
    emit changed();
}

// What the cache knows is shown at once; the network is asked only for
// what it lacks.
void DiscTitles::showCached()
{
    if (m_identity.isEmpty())
        return;
    m_found = m_cache.read(m_identity.id);
    if (m_found.kind == CachedTitles::Kind::Nothing)
        m_lookup.lookUp(m_identity, m_toc->firstNumber(), m_toc->lastAudio()->number - m_toc->firstNumber() + 1);
    else if (m_found.kind == CachedTitles::Kind::Found && m_found.cover == CachedTitles::Cover::Unknown)
        m_lookup.lookUpCover(m_identity.id, m_found.release.releaseId);
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

void DiscTitles::onTitlesFound(const QString &discId, const FoundRelease &release)
{
    if (discId != m_identity.id)
        return;
    m_found = {CachedTitles::Kind::Found, release, CachedTitles::Cover::Unknown};
    m_cache.store(discId, m_found);
    emit changed();
}

void DiscTitles::onCover(const QString &discId, const QByteArray &image)
{
    if (discId == m_identity.id && m_cache.storeCover(discId, image))
        rememberCover(discId, CachedTitles::Cover::Stored);
}

void DiscTitles::rememberCover(const QString &discId, CachedTitles::Cover cover)
{
    if (discId != m_identity.id || m_found.kind != CachedTitles::Kind::Found)
        return;
    m_found.cover = cover;
    m_cache.store(discId, m_found);
    if (cover == CachedTitles::Cover::Stored)
        emit changed();
}
