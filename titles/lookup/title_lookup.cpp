// SPDX-License-Identifier: GPL-3.0-or-later
#include "title_lookup.h"

#include "clock.h"

#include <QNetworkReply>
#include <QUrlQuery>

namespace {
// A Retry-After further off than this is a server that is down for the day.
constexpr int kLongestRetryAfterS = 60;
const QString kIncludes = QStringLiteral("artist-credits+recordings");

QUrl withPath(QUrl server, const QString &path)
{
    QString base = server.path();
    if (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    server.setPath(base + path);
    return server;
}
}  // namespace

TitleLookup::TitleLookup(const TitleServers &servers, Clock *clock, QObject *parent)
    : QObject(parent), m_servers(servers), m_clock(clock), m_pacer(new ClockTimer(clock, this)),
      m_timeout(new ClockTimer(clock, this))
{
    connect(m_pacer, &ClockTimer::timeout, this, [this] {
        m_pacer->stop();
        send();
    });
    connect(m_timeout, &ClockTimer::timeout, this, &TitleLookup::onTimeout);
}

TitleLookup::~TitleLookup() { dropReply(); }

QNetworkAccessManager &TitleLookup::network()
{
    if (!m_network) {
        m_network = std::make_unique<QNetworkAccessManager>();
        // Redirects are followed (the cover archive answers with one), never
        // from https to http.
        m_network->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    }
    return *m_network;
}

QByteArray TitleLookup::userAgent()
{
    return QByteArrayLiteral("velor-cdplayer/" VELOR_VERSION " ( " VELOR_PLAYER_PAGE_URL " )");
}

qint64 TitleLookup::waitMs() const
{
    return m_pacer->interval() > 0 ? qMax<qint64>(0, m_pacer->dueAt() - m_clock->nowMs()) : 0;
}

void TitleLookup::lookUp(const DiscIdentity &disc, int firstTrack, int trackCount)
{
    cancel();
    if (m_servers.offline || disc.isEmpty())
        return;
    m_disc = disc;
    m_firstTrack = firstTrack;
    m_trackCount = trackCount;
    m_retried = false;
    go(Step::ById);
}

void TitleLookup::lookUpCover(const QString &discId, const QString &releaseId)
{
    cancel();
    if (m_servers.offline || releaseId.isEmpty())
        return;
    m_disc = {discId, QString()};
    m_releaseId = releaseId;
    go(Step::Cover);
}

void TitleLookup::cancel()
{
    dropReply();
    m_pacer->stop();
    m_step = Step::None;
    ++m_lookups;
    m_releaseId.clear();
}

void TitleLookup::dropReply()
{
    m_timeout->stop();
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

void TitleLookup::go(Step step)
{
    m_step = step;
    m_abortReason.clear();
    sendWhenAllowed();
}

// Only the web service counts requests; the cover archive has no such rule.
void TitleLookup::sendWhenAllowed()
{
    const qint64 wait = m_nextRequestMs - m_clock->nowMs();
    if (m_step != Step::Cover && wait > 0)
        m_pacer->setInterval(int(wait));
    else
        send();
}

QUrl TitleLookup::stepUrl() const
{
    if (m_step == Step::Cover)
        return withPath(m_servers.coverArt, QStringLiteral("/release/%1/front-250").arg(m_releaseId));
    const bool byId = m_step == Step::ById;
    QUrl url = withPath(m_servers.musicBrainz,
                        QStringLiteral("/ws/2/discid/") + (byId ? m_disc.id : QStringLiteral("-")));
    QUrlQuery query;
    if (!byId) {
        query.addQueryItem(QStringLiteral("toc"), m_disc.toc);
        query.addQueryItem(QStringLiteral("cdstubs"), QStringLiteral("no"));
    }
    query.addQueryItem(QStringLiteral("inc"), kIncludes);
    query.addQueryItem(QStringLiteral("fmt"), QStringLiteral("json"));
    url.setQuery(query);
    return url;
}

void TitleLookup::send()
{
    QNetworkRequest request(stepUrl());
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent());
    request.setRawHeader("Accept", m_step == Step::Cover ? "image/*" : "application/json");
    if (m_step != Step::Cover)
        m_nextRequestMs = qMax(m_nextRequestMs, m_clock->nowMs() + kRequestSpacingMs);
    m_reply = network().get(request);
    connect(m_reply, &QNetworkReply::finished, this, &TitleLookup::onFinished);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &TitleLookup::onProgress);
    m_timeout->setInterval(kTimeoutMs);
}

void TitleLookup::onProgress(qint64 received, qint64 total)
{
    if (m_reply && (received > kMaxAnswerBytes || total > kMaxAnswerBytes)) {
        m_abortReason = QStringLiteral("answered with more than 2 MiB");
        m_reply->abort();
    }
}

void TitleLookup::onTimeout()
{
    m_timeout->stop();
    if (m_reply) {
        m_abortReason = QStringLiteral("did not answer within 10 s");
        m_reply->abort();
    }
}

void TitleLookup::onFinished()
{
    m_timeout->stop();
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    m_reply = nullptr;
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!m_abortReason.isEmpty())
        return fail(m_abortReason);
    if (retryLater(*reply, status))
        return;
    if (reply->error() != QNetworkReply::NoError && status != 404)
        return fail(status ? QStringLiteral("answered %1").arg(status)
                           : QStringLiteral("could not be reached (%1)").arg(reply->errorString()));
    const QByteArray body = reply->readAll();
    if (m_step == Step::Cover)
        handleCover(status, body);
    else
        handleTitles(status, body);
}

// A busy server (503) names when to come back; one more try then, if soon.
bool TitleLookup::retryLater(const QNetworkReply &reply, int status)
{
    if (status != 503 || m_step == Step::Cover)
        return false;
    bool number = false;
    const int seconds = reply.rawHeader("Retry-After").trimmed().toInt(&number);
    const int waitS = number ? qMax(seconds, 1) : 1;
    m_nextRequestMs = qMax(m_nextRequestMs, m_clock->nowMs() + qint64(waitS) * 1000);
    if (m_retried || waitS > kLongestRetryAfterS) {
        fail(QStringLiteral("is busy (503), retry after %1 s").arg(waitS));
        return true;
    }
    m_retried = true;
    go(m_step);
    return true;
}

void TitleLookup::handleTitles(int status, const QByteArray &body)
{
    const bool byId = m_step == Step::ById;
    const ReleaseAnswer answer = status == 404 ? ReleaseAnswer{ReleaseAnswer::Kind::NoRelease, {}}
                                               : chooseRelease(body, m_disc.id, m_firstTrack, m_trackCount);
    switch (answer.kind) {
    case ReleaseAnswer::Kind::Malformed:
        return fail(QStringLiteral("answered with something that is not a disc's releases"));
    case ReleaseAnswer::Kind::NoRelease:
        if (byId && !m_disc.toc.isEmpty())
            return go(Step::ByToc);
        m_step = Step::None;
        emit discUnknown(m_disc.id);
        return finish();
    case ReleaseAnswer::Kind::Found:
        const quint64 lookup = m_lookups;
        emit titlesFound(m_disc.id, answer.release);
        // Unless the disc changed while the titles were taken in.
        if (lookup == m_lookups) {
            m_releaseId = answer.release.releaseId;
            go(Step::Cover);
        }
        return;
    }
}

void TitleLookup::handleCover(int status, const QByteArray &body)
{
    m_step = Step::None;
    if (status == 404 || body.isEmpty())
        emit coverAbsent(m_disc.id);
    else
        emit coverFound(m_disc.id, body);
    finish();
}

void TitleLookup::finish()
{
    m_step = Step::None;
    emit ended();
}

void TitleLookup::fail(const QString &why)
{
    const bool cover = m_step == Step::Cover;
    m_step = Step::None;
    m_report.say(QStringLiteral("no %1 from %2: it %3")
                     .arg(cover ? QStringLiteral("cover") : QStringLiteral("titles"),
                          (cover ? m_servers.coverArt : m_servers.musicBrainz).toDisplayString(), why));
    finish();
}
