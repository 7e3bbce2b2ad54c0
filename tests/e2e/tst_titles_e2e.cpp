// SPDX-License-Identifier: GPL-3.0-or-later
// The real player with a local stand-in for MusicBrainz: the demo disc's
// titles and cover reach the desktop's media controls, and stay there
// offline, when no request at all is made.
#include "title_server.h"
#include "titled_player.h"

#include <QTemporaryDir>
#include <QtTest>

class TitlesEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void titlesAndCoverReachTheDesktop_data();
    void titlesAndCoverReachTheDesktop();

private:
    QTemporaryDir m_home{qEnvironmentVariable("VELOR_TEST_TMP", QDir::tempPath()) + "/titles-XXXXXX"};
    TitleServer m_server;
};

void TitlesEndToEndTest::titlesAndCoverReachTheDesktop_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("requests");  // by the end, counted from the first run
    QTest::newRow("asked") << QStringList{} << 2;
    QTest::newRow("offline, from the cache") << QStringList{"--offline"} << 2;
}

void TitlesEndToEndTest::titlesAndCoverReachTheDesktop()
{
    QFETCH(QStringList, options);
    m_server.answer = knowsTheDemoDisc;
    const QString server = m_server.url().toString();
    TitledPlayer player;
    player.start(VELOR_PLAYER_BINARY, m_home.path(),
                 options + QStringList{"--musicbrainz-server", server, "--coverart-server", server, VELOR_DEMO_CUE});
    QVariantMap meta;
    QVERIFY(QTest::qWaitFor([&] { return (meta = player.metadata()).contains("mpris:artUrl"); }, 20000));
    QCOMPARE(meta.value("xesam:title").toString(), QStringLiteral("曲1"));
    QCOMPARE(meta.value("xesam:album").toString(), QStringLiteral("朝の音"));
    QCOMPARE(meta.value("xesam:albumArtist").toStringList(), QStringList{"Velor Ensemble"});
    QVERIFY(QFile::exists(QUrl(meta.value("mpris:artUrl").toString()).toLocalFile()));
    QVERIFY(player.quit());
    QTEST(int(m_server.paths.size()), "requests");
}

QTEST_GUILESS_MAIN(TitlesEndToEndTest)
#include "tst_titles_e2e.moc"
