// SPDX-License-Identifier: GPL-3.0-or-later
// Time to titles: the real player on the demo disc with a local stand-in
// for MusicBrainz, cold (empty cache), cached, and offline (no look-up at
// all, the baseline for the cost). For each: milliseconds from the first
// MPRIS metadata with the disc's track to the first with its titles and
// to the first with its cover, and the player's CPU seconds by then.
// Run under a session bus of its own: bench/run-benchmarks.sh does.
#include "title_server.h"
#include "titled_player.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {
class MetadataClock : public QObject {
    Q_OBJECT
public:
    QElapsedTimer since;
    qint64 disc = -1, titles = -1, cover = -1;

public slots:
    void propertiesChanged(const QString &, const QVariantMap &changed, const QStringList &)
    {
        const QVariantMap meta = qdbus_cast<QVariantMap>(changed.value("Metadata"));
        const auto mark = [&](qint64 &at, const char *key) {
            if (at < 0 && meta.contains(key))
                at = since.elapsed();
        };
        mark(disc, "xesam:trackNumber");
        mark(titles, "xesam:album");
        mark(cover, "mpris:artUrl");
    }
};

double cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = stat.readAll().split(')').value(1).split(' ');
    return (fields.value(12).toDouble() + fields.value(13).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

struct Run {
    qint64 titlesMs, coverMs;
    double cpu;
};

Run runOnce(const QString &home, const QString &server, bool offline)
{
    MetadataClock clock;
    QDBusConnection::sessionBus().connect(QString(), "/org/mpris/MediaPlayer2", "org.freedesktop.DBus.Properties",
                                          "PropertiesChanged", &clock,
                                          SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    TitledPlayer player;
    clock.since.start();
    player.start(VELOR_PLAYER_BINARY, home,
                 QStringList{"--musicbrainz-server", server, "--coverart-server", server, VELOR_DEMO_CUE}
                     + (offline ? QStringList{"--offline"} : QStringList{}));
    if (!QTest::qWaitFor([&] { return clock.disc >= 0 && (offline || clock.cover >= 0); }, 20000))
        std::printf("the player showed no %s within 20 s\n", clock.disc < 0 ? "disc" : "cover");
    // Settled: the status updates of a second of play count too.
    QTest::qWait(1000);
    const Run run{clock.titles - clock.disc, clock.cover - clock.disc, cpuSeconds(player.process.processId())};
    player.quit();
    QDBusConnection::sessionBus().disconnect(QString(), "/org/mpris/MediaPlayer2", "org.freedesktop.DBus.Properties",
                                             "PropertiesChanged", &clock,
                                             SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    return run;
}

template <typename T>
T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    TitleServer server;
    server.answer = knowsTheDemoDisc;
    const struct {
        const char *name;
        bool keepCache, offline;
    } kinds[] = {{"cold", false, false}, {"cached", true, false}, {"offline", true, true}};
    std::printf("%-8s %14s %14s %12s %9s\n", "run", "titles ms", "cover ms", "cpu s", "requests");
    for (const auto &kind : kinds) {
        std::vector<qint64> titles, covers;
        std::vector<double> cpu;
        int measuredRequests = 0;
        for (int i = 0; i < rounds; ++i) {
            QTemporaryDir home;
            if (kind.keepCache)  // a cold run fills the cache first
                runOnce(home.path(), server.url().toString(), false);
            const int asked = int(server.paths.size());
            const Run run = runOnce(home.path(), server.url().toString(), kind.offline);
            titles.push_back(run.titlesMs);
            covers.push_back(run.coverMs);
            cpu.push_back(run.cpu);
            measuredRequests += int(server.paths.size()) - asked;
        }
        std::printf("%-8s %14lld %14lld %12.3f %9d\n", kind.name, (long long)median(titles), (long long)median(covers),
                    median(cpu), measuredRequests / rounds);
        std::fflush(stdout);
    }
    return 0;
}

#include "bench_titles.moc"
