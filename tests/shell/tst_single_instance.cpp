// One player at a time, with real player processes: a second start ends at
// once with status 0, and the lock a killed player left behind is taken
// over by the next start.
#include "single_instance.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {
// Only bounds a wait on another process; nothing is timed by it.
constexpr int kGiveUpMs = 60000;

qint64 lockOwner(const QString &lockPath)
{
    QLockFile probe(lockPath);
    qint64 pid = -1;
    QString host, app;
    return probe.getLockInfo(&pid, &host, &app) ? pid : -1;
}

// Waits for the lock file to name the process (or for the process to end),
// woken by changes to the file rather than by polling.
bool waitForLockOwner(const QString &lockPath, QProcess &player)
{
    QFileSystemWatcher watcher({QFileInfo(lockPath).absolutePath()});
    QEventLoop loop;
    auto check = [&] {
        if (QFileInfo::exists(lockPath) && !watcher.files().contains(lockPath))
            watcher.addPath(lockPath);
        if (lockOwner(lockPath) == player.processId() || player.state() == QProcess::NotRunning)
            loop.quit();
    };
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, check);
    QObject::connect(&watcher, &QFileSystemWatcher::fileChanged, &loop, check);
    QObject::connect(&player, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kGiveUpMs, &loop, &QEventLoop::quit);
    check();
    if (lockOwner(lockPath) != player.processId())
        loop.exec();
    return lockOwner(lockPath) == player.processId();
}
}  // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void secondLockInTheSameSessionFails();
    void secondStartEndsAtOnceAndKilledPlayerIsTakenOver();
    void helpAndVersion();

private:
    void startPlayer(QProcess &player, const QStringList &extra = {});
    QString lockPath() const { return m_runtime->path() + QStringLiteral("/velor-cdplayer.lock"); }

    std::unique_ptr<QTemporaryDir> m_runtime;
    QList<QProcess *> m_players;
};

void TestSingleInstance::init()
{
    const QString root = qEnvironmentVariable("VELOR_TEST_TMP", QDir::tempPath());
    QDir().mkpath(root);
    m_runtime = std::make_unique<QTemporaryDir>(root + QStringLiteral("/runtime-XXXXXX"));
    QVERIFY(m_runtime->isValid());
}

void TestSingleInstance::cleanup()
{
    for (QProcess *player : std::as_const(m_players)) {
        player->kill();
        player->waitForFinished(kGiveUpMs);
        delete player;
    }
    m_players.clear();
    m_runtime.reset();
}

// A player on a runtime directory of its own, with a disc that is not there.
void TestSingleInstance::startPlayer(QProcess &player, const QStringList &extra)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime->path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    player.setProcessEnvironment(env);
    player.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const QStringList args = extra.isEmpty()
        ? QStringList{QStringLiteral("--device"), m_runtime->path() + QStringLiteral("/none.cue")}
        : extra;
    player.start(QStringLiteral(VELOR_PLAYER), args);
    QVERIFY(player.waitForStarted(kGiveUpMs));
}

void TestSingleInstance::secondLockInTheSameSessionFails()
{
    SingleInstance first(lockPath());
    SingleInstance second(lockPath());
    QVERIFY(first.acquire());
    QVERIFY(!second.acquire());
}

void TestSingleInstance::secondStartEndsAtOnceAndKilledPlayerIsTakenOver()
{
    auto *first = m_players.emplaceBack(new QProcess);
    startPlayer(*first);
    QVERIFY2(waitForLockOwner(lockPath(), *first), "the first player holds the lock");

    QProcess second;
    startPlayer(second);
    QVERIFY(second.waitForFinished(kGiveUpMs));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(second.readAllStandardOutput(), QByteArray());
    QCOMPARE(first->state(), QProcess::Running);
    QCOMPARE(lockOwner(lockPath()), first->processId());

    // Killed, the first player leaves its lock file behind.
    first->kill();
    QVERIFY(first->waitForFinished(kGiveUpMs));
    QVERIFY(QFileInfo::exists(lockPath()));

    auto *third = m_players.emplaceBack(new QProcess);
    startPlayer(*third);
    QVERIFY2(waitForLockOwner(lockPath(), *third), "the next player takes the stale lock over");
    QCOMPARE(third->state(), QProcess::Running);
}

void TestSingleInstance::helpAndVersion()
{
    QProcess help;
    startPlayer(help, {QStringLiteral("--help")});
    QVERIFY(help.waitForFinished(kGiveUpMs));
    QCOMPARE(help.exitCode(), 0);
    QVERIFY(help.readAllStandardOutput().contains("--device <PATH>"));

    QProcess version;
    startPlayer(version, {QStringLiteral("--version")});
    QVERIFY(version.waitForFinished(kGiveUpMs));
    QCOMPARE(version.exitCode(), 0);
    QVERIFY(version.readAllStandardOutput().contains(VELOR_VERSION));
    QVERIFY2(!QFileInfo::exists(lockPath()), "printing help or version takes no lock");
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
