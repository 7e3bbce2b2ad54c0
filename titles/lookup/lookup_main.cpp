// SPDX-License-Identifier: GPL-3.0-or-later
// The title look-up helper (lookup_protocol.h): asks MusicBrainz and the
// Cover Art Archive for one disc, keeps the answer in the title cache,
// hands each record it stored to the player on stdout, and ends.
#include "clock.h"
#include "lookup_protocol.h"
#include "problem_report.h"
#include "title_cache.h"
#include "title_lookup.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>

namespace {
// Keeps what the look-up finds, as the player would have kept it.
class Recorder : public QObject {
public:
    Recorder(TitleLookup &lookup, TitleCache &cache, const QString &discId, const CachedTitles &known)
        : m_cache(cache), m_discId(discId), m_titles(known)
    {
        connect(&lookup, &TitleLookup::titlesFound, this, [this](const QString &, const FoundRelease &release) {
            keep({CachedTitles::Kind::Found, release, CachedTitles::Cover::Unknown});
        });
        connect(&lookup, &TitleLookup::discUnknown, this,
                [this] { keep({CachedTitles::Kind::Miss, {}, CachedTitles::Cover::Unknown}); });
        connect(&lookup, &TitleLookup::coverFound, this, [this](const QString &, const QByteArray &image) {
            if (m_cache.storeCover(m_discId, image))
                keepCover(CachedTitles::Cover::Stored);
        });
        connect(&lookup, &TitleLookup::coverAbsent, this, [this] { keepCover(CachedTitles::Cover::Absent); });
    }

private:
    // Stored first, so that the player, told next, finds the cover file.
    void keep(const CachedTitles &titles)
    {
        m_titles = titles;
        m_cache.store(m_discId, titles);
        std::printf("%s\n", m_cache.record(titles).constData());
        std::fflush(stdout);
    }

    void keepCover(CachedTitles::Cover cover)
    {
        if (m_titles.kind != CachedTitles::Kind::Found)
            return;
        m_titles.cover = cover;
        keep(m_titles);
    }

    TitleCache &m_cache;
    QString m_discId;
    CachedTitles m_titles;
};

// The disc's tracks from the TOC's "first+last+..." as the look-up counts them.
std::pair<int, int> tracksOf(const QString &toc)
{
    const QStringList numbers = toc.split(QLatin1Char('+'));
    const int first = numbers.value(0).toInt();
    return {first, numbers.value(1).toInt() - first + 1};
}
}  // namespace

int main(int argc, char *argv[])
{
    // A player that is killed takes its helper with it.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velor-cdplayer"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Looks a disc's titles and cover up for velor-cdplayer."));
    parser.addHelpOption();
    const QCommandLineOption cache(QStringLiteral("cache"), QStringLiteral("The title cache folder."),
                                   QStringLiteral("folder"), TitleCache::standardFolder());
    const QCommandLineOption musicBrainz(QStringLiteral("musicbrainz-server"), QStringLiteral("MusicBrainz."),
                                         QStringLiteral("url"));
    const QCommandLineOption coverArt(QStringLiteral("coverart-server"), QStringLiteral("The Cover Art Archive."),
                                      QStringLiteral("url"));
    parser.addOptions({cache, musicBrainz, coverArt});
    parser.addPositionalArgument(QStringLiteral("disc-id"), QStringLiteral("The disc ID."));
    parser.addPositionalArgument(QStringLiteral("toc"), QStringLiteral("The TOC, \"first+last+lead-out+offsets\"."));
    parser.process(app);
    const QStringList disc = parser.positionalArguments();
    if (disc.size() != 2)
        parser.showHelp(2);

    // The player starts its helper only when it is online itself.
    TitleServers servers = titleServers({parser.value(musicBrainz), parser.value(coverArt), false});
    servers.offline = false;
    TitleCache titleCache(parser.value(cache), [] { return QDateTime::currentMSecsSinceEpoch(); });
    const CachedTitles known = titleCache.read(disc[0]);
    TitleLookup lookup(servers, SystemClock::instance());
    Recorder recorder(lookup, titleCache, disc[0], known);
    QObject::connect(&lookup, &TitleLookup::ended, &app, &QCoreApplication::quit);
    QTimer::singleShot(kLookupBoundMs, &app, [&] {
        ProblemReport().say(QStringLiteral("no titles from %1: the look-up did not end within %2 s")
                                .arg(servers.musicBrainz.toDisplayString())
                                .arg(kLookupBoundMs / 1000));
        app.exit(1);
    });
    if (known.kind == CachedTitles::Kind::Found) {
        lookup.lookUpCover(disc[0], known.release.releaseId);
    } else {
        const auto [first, count] = tracksOf(disc[1]);
        lookup.lookUp({disc[0], disc[1]}, first, count);
    }
    return lookup.busy() ? app.exec() : 0;
}
