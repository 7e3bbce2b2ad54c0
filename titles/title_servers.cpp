// SPDX-License-Identifier: GPL-3.0-or-later
#include "title_servers.h"

#include "problem_report.h"

namespace {
QUrl serverUrl(const QString &option, const char *variable, const char *fallback)
{
    QString text = option.isEmpty() ? qEnvironmentVariable(variable) : option;
    if (!text.isEmpty() && !serverProblem(text).isEmpty()) {
        static ProblemReport report;
        report.say(QStringLiteral("%1: %2; using %3").arg(QLatin1String(variable), serverProblem(text),
                                                         QLatin1String(fallback)));
        text.clear();
    }
    return QUrl(text.isEmpty() ? QLatin1String(fallback) : text);
}
}  // namespace

QString serverProblem(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()
        || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
        return QStringLiteral("\"%1\" is not an http or https server address").arg(text);
    return QString();
}

TitleServers titleServers(const TitleServerOptions &options)
{
    TitleServers servers;
    servers.musicBrainz = serverUrl(options.musicBrainz, "VELOR_MUSICBRAINZ_SERVER", "https://musicbrainz.org");
    servers.coverArt = serverUrl(options.coverArt, "VELOR_COVERART_SERVER", "https://coverartarchive.org");
    servers.offline = options.offline || qEnvironmentVariable("VELOR_OFFLINE") == QLatin1String("1");
    return servers;
}
