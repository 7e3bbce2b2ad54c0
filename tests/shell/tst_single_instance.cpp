// SPDX-License-Identifier: GPL-3.0-or-later
// One player at a time, with real player processes: a second start ends at
// once with status 0, and the lock a killed player left behind is taken
// over by the next start. A lock no player holds never keeps the player
// from starting, whatever is found in its place.
#include "single_instance.h"
#include "stderr_capture.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

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
    void damagedLockIsTakenOverWithOneLine_data();
    void damagedLockIsTakenOverWithOneLine();
    void damagedLockOfARunningPlayerStillHolds();
    void lockThatCannotBeHadLetsThePlayerRun_data();
    void lockThatCannotBeHadLetsThePlayerRun();
    void realPlayerStartsOverDamagedLocks_data();
    void realPlayerStartsOverDamagedLocks();

private:
    void startPlayer(QProcess &player, const QStringList &extra = {},
                     QProcess::ProcessChannelMode channels = QProcess::ForwardedErrorChannel);
    void plantLock(const QString &kind);
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
void TestSingleInstance::startPlayer(QProcess &player, const QStringList &extra,
                                     QProcess::ProcessChannelMode channels)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime->path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    player.setProcessEnvironment(env);
    player.setProcessChannelMode(channels);
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

    // A second start ends at once; one that came with a disc says that the
    // disc was not opened, and fails.
    for (const bool withDisc : {false, true}) {
        QProcess second;
        startPlayer(second, withDisc ? QStringList{} : QStringList{QStringLiteral("--")},
                    QProcess::SeparateChannels);
        QVERIFY(second.waitForFinished(kGiveUpMs));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), withDisc ? 1 : 0);
        QCOMPARE(second.readAllStandardOutput(), QByteArray());
        QCOMPARE(second.readAllStandardError().contains("already running; "), withDisc);
    }
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

// What may be found at the lock path when no player runs.
void TestSingleInstance::plantLock(const QString &kind)
{
    const QByteArray path = QFile::encodeName(lockPath());
    if (kind == QLatin1String("directory")) {
        QVERIFY(QDir().mkpath(lockPath()));
        return;
    }
    if (kind == QLatin1String("open runtime folder")) {
        QVERIFY(QFile::setPermissions(m_runtime->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                          | QFileDevice::ExeOwner | QFileDevice::ReadOther | QFileDevice::ExeOther));
        return;
    }
    if (kind == QLatin1String("dangling link")) {
        QVERIFY(::symlink("nowhere", path.constData()) == 0);
        return;
    }
    const QByteArray other = QByteArray::number(QCoreApplication::applicationPid()) + "\nvelor-cdplayer\nanother-host\n";
    const QByteArray content = kind == QLatin1String("garbage")    ? QByteArray("\x7f" "ELF\x01\x02 not a lock\n")
                               : kind == QLatin1String("other host") ? other
                                                                    : QByteArray();
    QFile file(lockPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

void TestSingleInstance::damagedLockIsTakenOverWithOneLine_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("said");
    QTest::newRow("garbage") << "garbage" << "held no process id";
    QTest::newRow("empty") << "empty" << "was empty";
    QTest::newRow("another host's, naming a live process") << "other host" << "named another host";
    QTest::newRow("dangling link") << "dangling link" << "symbolic link";
}

void TestSingleInstance::damagedLockIsTakenOverWithOneLine()
{
    QFETCH(QString, kind);
    QFETCH(QString, said);
    plantLock(kind);
    StderrCapture err;
    SingleInstance instance(lockPath());
    QVERIFY(instance.acquire());
    QVERIFY(instance.holdsLock());
    QCOMPARE(lockOwner(lockPath()), QCoreApplication::applicationPid());
    const QByteArray text = err.text();
    QCOMPARE(text.count('\n'), 1);
    QVERIFY2(text.contains(said.toUtf8()) && text.contains(lockPath().toUtf8()), text.constData());
}

// The running player keeps its lock even when the file's text is spoilt.
void TestSingleInstance::damagedLockOfARunningPlayerStillHolds()
{
    SingleInstance running(lockPath());
    QVERIFY(running.acquire());
    QFile file(lockPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.close();

    StderrCapture err;
    SingleInstance second(lockPath());
    QVERIFY(!second.acquire());
    QCOMPARE(err.text(), QByteArray());
    QVERIFY(running.holdsLock());
}

void TestSingleInstance::lockThatCannotBeHadLetsThePlayerRun_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("said");
    QTest::newRow("a directory in its place") << QString() << "is a directory";
    // Under a plain file no folder can ever be made, whoever runs the test.
    QTest::newRow("no folder for it") << "/plain-file/runtime/velor-cdplayer.lock" << "does not exist";
    QTest::newRow("no runtime directory") << "-" << "no runtime directory";
}

void TestSingleInstance::lockThatCannotBeHadLetsThePlayerRun()
{
    QFETCH(QString, path);
    QFETCH(QString, said);
    if (path.isEmpty())
        plantLock(QStringLiteral("directory"));
    QFile plain(m_runtime->path() + QStringLiteral("/plain-file"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    const QString lock = path.isEmpty() ? lockPath() : path == QLatin1String("-") ? QString() : m_runtime->path() + path;

    StderrCapture err;
    SingleInstance instance(lock);
    QVERIFY(instance.acquire());
    QVERIFY(!instance.holdsLock());
    const QByteArray text = err.text();
    QCOMPARE(text.count('\n'), 1);
    QVERIFY2(text.contains(said.toUtf8()) && text.contains("running without"), text.constData());
}

void TestSingleInstance::realPlayerStartsOverDamagedLocks_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("garbage") << "garbage";
    QTest::newRow("empty") << "empty";
    QTest::newRow("another host's") << "other host";
    QTest::newRow("directory") << "directory";
    QTest::newRow("runtime folder open to others") << "open runtime folder";
}

// The player runs and says one line; where the lock can be had, it holds it.
void TestSingleInstance::realPlayerStartsOverDamagedLocks()
{
    QFETCH(QString, kind);
    plantLock(kind);
    auto *player = m_players.emplaceBack(new QProcess);
    player->setReadChannel(QProcess::StandardError);
    startPlayer(*player, {}, QProcess::SeparateChannels);
    // Qt refuses such a folder and takes one of its own for the lock.
    const bool elsewhere = kind == QLatin1String("open runtime folder");
    if (kind != QLatin1String("directory") && !elsewhere)
        QVERIFY2(waitForLockOwner(lockPath(), *player), "the player takes the lock over");
    QByteArray said;
    while (!said.contains('\n') && player->state() == QProcess::Running && player->waitForReadyRead(kGiveUpMs))
        said += player->readAllStandardError();
    QCOMPARE(player->state(), QProcess::Running);
    const QByteArray named = elsewhere ? QByteArray("the lock is kept in") : lockPath().toUtf8();
    QVERIFY2(said.startsWith("velor-cdplayer: ") && said.contains(named), said.constData());
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
