// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "disc_id.h"
#include "problem_report.h"
#include "release_choice.h"
#include "title_servers.h"

#include <QNetworkAccessManager>

#include <memory>
#include <QObject>
#include <QPointer>

class Clock;
class ClockTimer;
class QNetworkReply;

// Asks MusicBrainz for a disc's titles and the Cover Art Archive for its
// front cover, one request at a time on the event loop, never waiting on
// the network: by disc ID, then once by TOC when the ID is unknown, then
// the chosen release's cover. The web service's rules are kept: a
// User-Agent that names the player, at most one request a second, a 503's
// Retry-After honoured. A request gets 10 s and 2 MiB; what goes wrong is
// said once on stderr and ends the look-up without an answer.
class TitleLookup : public QObject {
    Q_OBJECT
public:
    static constexpr int kTimeoutMs = 10000;
    static constexpr qint64 kMaxAnswerBytes = 2 << 20;
    static constexpr int kRequestSpacingMs = 1000;

    TitleLookup(const TitleServers &servers, Clock *clock, QObject *parent = nullptr);
    ~TitleLookup() override;

    // Starts on a disc (tracks first to first + trackCount - 1), dropping a
    // look-up under way. Does nothing offline.
    void lookUp(const DiscIdentity &disc, int firstTrack, int trackCount);
    // Only the cover of a release whose titles are known.
    void lookUpCover(const QString &discId, const QString &releaseId);
    void cancel();

    static QByteArray userAgent();

    // Whether a look-up is under way, and how long it waits before its
    // next request may go (0: it is not waiting).
    bool busy() const { return m_step != Step::None; }
    qint64 waitMs() const;

signals:
    void titlesFound(const QString &discId, const FoundRelease &release);
    void discUnknown(const QString &discId);
    void coverFound(const QString &discId, const QByteArray &image);
    void coverAbsent(const QString &discId);
    // The look-up is over, with or without an answer.
    void ended();

private:
    enum class Step { None, ById, ByToc, Cover };

    void go(Step step);
    void sendWhenAllowed();
    void send();
    QUrl stepUrl() const;
    void onFinished();
    void onProgress(qint64 received, qint64 total);
    void onTimeout();
    void handleTitles(int status, const QByteArray &body);
    void handleCover(int status, const QByteArray &body);
    bool retryLater(const QNetworkReply &reply, int status);
    void fail(const QString &why);
    void finish();
    void dropReply();

    TitleServers m_servers;
    Clock *m_clock;
    QNetworkAccessManager &network();

    // Made at the first request: a disc whose titles are cached, and an
    // offline player, never load the network stack.
    std::unique_ptr<QNetworkAccessManager> m_network;
    ClockTimer *m_pacer;
    ClockTimer *m_timeout;
    QPointer<QNetworkReply> m_reply;
    ProblemReport m_report;

    DiscIdentity m_disc;
    int m_firstTrack = 1;
    int m_trackCount = 0;
    QString m_releaseId;
    Step m_step = Step::None;
    bool m_retried = false;
    quint64 m_lookups = 0;  // counts cancels, so an answer knows its look-up ended
    QString m_abortReason;
    qint64 m_nextRequestMs = 0;  // on the clock: the earliest the web service may be asked again
};
