// SPDX-License-Identifier: GPL-3.0-or-later
// Titles from a local stand-in for MusicBrainz speaking the web service's
// documented JSON, on a stepped clock: the disc ID, every kind of answer,
// and the cache that keeps titles when the server is gone.
#include "clock.h"
#include "disc_titles.h"
#include "disc_toc.h"
#include "lookup_protocol.h"
#include "stderr_capture.h"
#include "title_lookup.h"
#include "title_server.h"
#include "title_text.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
// Audio tracks starting where given, the last start the lead-out.
DiscToc tocOf(const std::vector<qint64> &starts)
{
    std::vector<TrackInfo> tracks;
    for (size_t n = 1; n < starts.size(); ++n)
        tracks.push_back({int(n), starts[n - 1], starts[n], true});
    return DiscToc(tracks);
}

// The demo disc (build/demo/velor-demo.cue): its INDEX 01 times and its
// bin's 16726 sectors.
DiscToc demoToc() { return tocOf({0, 1800, 3150, 5325, 6450, 8063, 10088, 11326, 13201, 14626, 16726}); }

FixtureAnswer ok(const QByteArray &body) { return {200, body, {}, false, false}; }
FixtureAnswer status(int code, const QByteArray &headers = {}) { return {code, "{}", headers, false, false}; }
}  // namespace

class TitlesTest : public QObject {
    Q_OBJECT
private slots:
    void discIdIsTheDocumentedOne_data();
    void discIdIsTheDocumentedOne();
    void everyAnswerEndsTheLookUp_data();
    void everyAnswerEndsTheLookUp();
    void cacheKeepsTitlesWithoutTheServer();
    void helperRunsOnlyForWhatTheCacheLacks_data();
    void helperRunsOnlyForWhatTheCacheLacks();
    void helperTroubleIsSaidOnce_data();
    void helperTroubleIsSaidOnce();

private:
    // A stand-in for the look-up helper: a shell script that first leaves
    // a mark beside itself, then runs body.
    QString helperScript(const QByteArray &body);
    QTemporaryDir m_scripts;
};

// Expected IDs: the disc ID algorithm of the MusicBrainz documentation
// (SHA-1 over the upper-case hex TOC, base64 with "._-"), run once in a
// Python snippet; the second TOC is libdiscid's own example (discid.h).
void TitlesTest::discIdIsTheDocumentedOne_data()
{
    QTest::addColumn<DiscToc>("toc");
    QTest::addColumn<QString>("id");
    QTest::newRow("demo disc") << demoToc() << kDemoDiscId;
    QTest::newRow("libdiscid example") << tocOf({0, 22310, 50047, 80464, 100678, 133168, 144562, 164750})
                                       << QStringLiteral("ybYRHGr1rfATUisnRFX8rjrtKec-");
    // Audio, then a second session's data track: the audio ends 11400
    // sectors before it.
    QTest::newRow("enhanced CD") << DiscToc({{1, 0, 15000, true}, {2, 15000, 28450, true}, {3, 40000, 50000, false}})
                                 << QStringLiteral("HhNBahk4XDLCDJLD.oHecCfm0vA-");
}

void TitlesTest::discIdIsTheDocumentedOne()
{
    QFETCH(DiscToc, toc);
    QFETCH(QString, id);
    QCOMPARE(discIdentity(toc).id, id);
}

void TitlesTest::everyAnswerEndsTheLookUp_data()
{
    QTest::addColumn<QList<FixtureAnswer>>("answers");
    QTest::addColumn<QByteArrayList>("paths");  // how each request's path starts
    QTest::addColumn<QString>("album");         // empty: no titles
    QTest::addColumn<bool>("unknown");
    QTest::addColumn<qint64>("waitedMs");       // between requests, as the service's rules want
    const QByteArray byId = "/ws/2/discid/" + kDemoDiscId.toLatin1() + "?inc=artist-credits+recordings&fmt=json";
    const QByteArray byToc = "/ws/2/discid/-?toc=1+10+16876+150+1950+3300+5475+6600+8213+10238+11476+13351+14776&cdstubs=no";
    const QByteArray cover = "/release/first/front-250";
    const QByteArray hit = answerOf({release("first", "朝の音", "2001-04-01", kDemoDiscId)});
    QTest::newRow("hit") << QList<FixtureAnswer>{ok(hit), ok("\xff\xd8 jpeg")} << QByteArrayList{byId, cover}
                         << "朝の音" << false << 0LL;
    // A set of two discs whose second is this one, a reissue, an undated one.
    QByteArray set = release("first", "初版", "1999", kDemoDiscId);
    set.replace(R"("media":[)", R"("media":[{"position":1,"format":"CD","track-count":10,"discs":[{"id":"other"}],"tracks":[]},)");
    const QByteArray several = answerOf({release("reissue", "再発", "2005-03-01", kDemoDiscId), set, release("undated", "日付なし", "", kDemoDiscId)});
    QTest::newRow("several releases") << QList<FixtureAnswer>{ok(several), status(404)} << QByteArrayList{byId, cover}
                                      << "初版" << false << 0LL;
    const QByteArray fuzzy = R"({"release-count":1,"release-offset":0,"releases":[)" + release("first", "近い盤", "2010", "not-this-one") + "]}";
    QTest::newRow("unknown ID, fuzzy hit") << QList<FixtureAnswer>{status(404), ok(fuzzy), ok("jpeg")}
                                           << QByteArrayList{byId, byToc, cover} << "近い盤" << false << 1000LL;
    QTest::newRow("unknown") << QList<FixtureAnswer>{status(404), ok(R"({"release-count":0,"releases":[]})")}
                             << QByteArrayList{byId, byToc} << QString() << true << 1000LL;
    QTest::newRow("503, Retry-After") << QList<FixtureAnswer>{status(503, "Retry-After: 3\r\n"), ok(hit), status(404)}
                                      << QByteArrayList{byId, byId, cover} << "朝の音" << false << 3000LL;
    QTest::newRow("malformed JSON") << QList<FixtureAnswer>{ok(R"({"releases":[{"id":)")} << QByteArrayList{byId}
                                    << QString() << false << 0LL;
    QTest::newRow("never ends") << QList<FixtureAnswer>{{200, hit, {}, true, false}} << QByteArrayList{byId}
                                << QString() << false << 0LL;
    QTest::newRow("over 2 MiB") << QList<FixtureAnswer>{{200, QByteArray(3 << 20, ' '), {}, false, true}}
                                << QByteArrayList{byId} << QString() << false << 0LL;
}

void TitlesTest::everyAnswerEndsTheLookUp()
{
    QFETCH(QList<FixtureAnswer>, answers);
    QFETCH(QByteArrayList, paths);
    QFETCH(QString, album);
    QFETCH(bool, unknown);
    QFETCH(qint64, waitedMs);
    TitleServer server;
    server.answer = [&](const QByteArray &) { return answers.value(server.paths.size() - 1); };
    ManualClock clock;
    TitleLookup lookup({server.url(), server.url(), false}, &clock);
    FoundRelease found;
    bool unknownSaid = false;
    QByteArray cover;
    connect(&lookup, &TitleLookup::titlesFound, this, [&](const QString &, const FoundRelease &r) { found = r; });
    connect(&lookup, &TitleLookup::discUnknown, this, [&] { unknownSaid = true; });
    connect(&lookup, &TitleLookup::coverFound, this, [&](const QString &, const QByteArray &image) { cover = image; });

    StderrCapture said;
    lookup.lookUp(discIdentity(demoToc()), 1, 10);
    qint64 waited = 0;
    for (int step = 0; step < 5 && lookup.busy(); ++step) {
        QTRY_VERIFY(!lookup.busy() || lookup.waitMs() > 0 || server.holding);
        waited += lookup.waitMs();
        clock.advance(lookup.waitMs() > 0 ? lookup.waitMs() : TitleLookup::kTimeoutMs * server.holding);
    }
    QVERIFY(!lookup.busy());
    QVERIFY(said.text().count('\n') == (album.isEmpty() && !unknown));
    QCOMPARE(server.paths.size(), paths.size());
    for (int i = 0; i < paths.size(); ++i)
        QVERIFY2(server.paths[i].startsWith(paths[i]), server.paths[i].constData());
    QVERIFY(server.userAgent.startsWith("velor-cdplayer/0.1.0 ( http"));
    QCOMPARE(found.text.album.title, album);
    QCOMPARE(unknownSaid, unknown);
    QCOMPARE(waited, waitedMs);
    if (!found.releaseId.isEmpty()) {
        QCOMPARE(found.text.track(3), (DiscText::Entry{"曲3", "Velor Ensemble feat. Guest"}));
        QCOMPARE(found.text.track(10).performer, QStringLiteral("Velor Ensemble"));
        QCOMPARE(cover.isEmpty(), answers.last().status != 200);
    }
}

// A disc seen once shows its titles and cover with the server gone, under
// its own CD-Text; a disc the database did not know is not asked for again
// within a day.
void TitlesTest::cacheKeepsTitlesWithoutTheServer()
{
    QTemporaryDir folder;
    qint64 wallMs = 1'000'000'000'000;
    const TitleCache cache(folder.path(), [&] { return wallMs; });
    TitleServer server;
    server.answer = knowsTheDemoDisc;
    ManualClock clock;
    const TitleServers servers{server.url(), server.url(), false};
    DiscToc withText = demoToc();
    DiscText own;
    own.album.performer = "自分";
    own.tracks[2].title = "二番目";
    withText.setText(own);
    const auto demo = std::make_shared<const DiscToc>(withText);
    const auto unknown = std::make_shared<const DiscToc>(DiscToc({{1, 0, 30000, true}}));
    {
        DiscTitles first(servers, cache, &clock, VELOR_LOOKUP_HELPER);
        first.follow(demo);
        QTRY_VERIFY(!first.coverUrl().isEmpty());
    }
    TitleCache(cache).store(discIdentity(*unknown).id, {CachedTitles::Kind::Miss, {}, CachedTitles::Cover::Unknown});
    const int asked = server.paths.size();
    server.close();
    DiscTitles later(servers, cache, &clock, VELOR_LOOKUP_HELPER);
    later.follow(demo);
    QCOMPARE(later.text().album, (DiscText::Entry{"朝の音", "自分"}));
    QCOMPARE(trackLine(2, later.text()), QStringLiteral("02 二番目 — Velor Ensemble"));
    QVERIFY(QFile::exists(QUrl(later.coverUrl()).toLocalFile()));
    later.follow(unknown);
    QCOMPARE(server.paths.size(), asked);
    wallMs += TitleCache::kMissKeptMs;
    QCOMPARE(cache.read(discIdentity(*unknown).id).kind, CachedTitles::Kind::Nothing);
}

QString TitlesTest::helperScript(const QByteArray &body)
{
    const QString path = m_scripts.filePath(QString::number(QDateTime::currentMSecsSinceEpoch()) + QTest::currentDataTag());
    QFile script(path);
    script.open(QIODevice::WriteOnly);
    script.write("#!/bin/sh\n: > \"$0.ran\"\n" + body + "\n");
    script.setPermissions(script.permissions() | QFile::ExeOwner);
    return path;
}

void TitlesTest::helperRunsOnlyForWhatTheCacheLacks_data()
{
    QTest::addColumn<QByteArray>("record");  // in the cache beforehand; empty: none
    QTest::addColumn<bool>("offline");
    QTest::addColumn<bool>("runs");
    const QByteArray titles = R"({"stored":1e12,"release":"first","album":{"title":"朝の音"},"cover":)";
    QTest::newRow("nothing cached") << QByteArray() << false << true;
    QTest::newRow("nothing cached, offline") << QByteArray() << true << false;
    QTest::newRow("titles and cover") << titles + R"("stored"})" << false << false;
    QTest::newRow("titles, no cover") << titles + R"("absent"})" << false << false;
    QTest::newRow("titles, cover not asked") << titles + R"("unknown"})" << false << true;
    QTest::newRow("titles, cover not asked, offline") << titles + R"("unknown"})" << true << false;
    QTest::newRow("unknown today") << QByteArray(R"({"stored":1e12,"miss":true})") << false << false;
    QTest::newRow("damaged record") << QByteArray(R"({"stored":1e12,"alb)") << false << true;
}

void TitlesTest::helperRunsOnlyForWhatTheCacheLacks()
{
    QFETCH(QByteArray, record);
    QFETCH(bool, offline);
    QFETCH(bool, runs);
    QTemporaryDir folder;
    const TitleCache cache(folder.path(), [] { return qint64(1e12); });
    QDir(folder.path()).mkpath("covers");
    QFile(cache.coverPath(kDemoDiscId)).open(QIODevice::WriteOnly);
    if (!record.isEmpty()) {
        QDir(folder.path()).mkpath("titles");
        QFile file(folder.filePath("titles/" + kDemoDiscId + ".json"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(record) == record.size());
    }
    const QString helper = helperScript("exit 0");
    ManualClock clock;
    DiscTitles titles({QUrl("http://127.0.0.1:9"), QUrl("http://127.0.0.1:9"), offline}, cache, &clock, helper);
    titles.follow(std::make_shared<const DiscToc>(demoToc()));
    QTRY_VERIFY(!titles.lookingUp());
    QCOMPARE(QFile::exists(helper + ".ran"), runs);
}

void TitlesTest::helperTroubleIsSaidOnce_data()
{
    QTest::addColumn<QByteArray>("body");  // empty: no helper at all
    QTest::addColumn<QString>("said");     // what stderr says, once; empty: nothing
    QTest::addColumn<qint64>("waitMs");    // how long the clock runs once it started
    const QString reached = "no titles from https://musicbrainz.org: it could not be reached (Host musicbrainz.org not found)";
    QTest::newRow("missing") << QByteArray() << "could not be started" << 0LL;
    QTest::newRow("crashes") << QByteArray("kill -SEGV $$") << "crashed" << 0LL;
    QTest::newRow("fails") << QByteArray("exit 3") << "ended with status 3" << 0LL;
    QTest::newRow("hangs") << QByteArray("exec sleep 600") << "did not end within 160 s" << kLookupBoundMs + LookupHelper::kGraceMs;
    QTest::newRow("says why") << "echo 'velor-cdplayer: " + reached.toUtf8() + "' >&2; exit 1" << reached << 0LL;
    QTest::newRow("garbled record") << QByteArray(R"(echo '{"stored":1e12,"alb')") << QString() << 0LL;
}

// Two discs, the same trouble with each: the player plays on and says it
// once.
void TitlesTest::helperTroubleIsSaidOnce()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, said);
    QFETCH(qint64, waitMs);
    QTemporaryDir folder;
    const QString helper = body.isEmpty() ? folder.filePath("no-such-helper") : helperScript(body);
    ManualClock clock;
    DiscTitles titles({QUrl("http://127.0.0.1:9"), QUrl("http://127.0.0.1:9"), false},
                      TitleCache(folder.path(), [] { return qint64(1e12); }), &clock, helper);
    StderrCapture stderrText;
    for (const DiscToc &toc : {demoToc(), tocOf({0, 30000})}) {
        titles.follow(std::make_shared<const DiscToc>(toc));
        clock.advance(LookupHelper::kStartSpacingMs);
        QTRY_VERIFY(!titles.lookingUp() || QFile::exists(helper + ".ran"));
        QFile::remove(helper + ".ran");
        clock.advance(waitMs);
        QTRY_VERIFY(!titles.lookingUp());
        QCOMPARE(titles.text().album.title, QString());
    }
    const QString text = QString::fromUtf8(stderrText.text());
    QVERIFY2(text.contains(said) && text.count(QLatin1Char(10)) == int(!said.isEmpty()), qPrintable(text));
}

QTEST_GUILESS_MAIN(TitlesTest)
#include "tst_titles.moc"
