// SPDX-License-Identifier: GPL-3.0-or-later
// The exit button ends the real player whatever its disc and sound threads
// are stuck in: a sound server frozen in the middle of play; a disc image
// whose data is a FIFO nobody writes, or a FIFO given as the drive (which
// the player refuses without opening, or else waits on). The lock is let
// go, so the next start is not turned away. The desktop's SIGTERM at a
// log-out ends it the same way.
#include "disc_rig.h"
#include "needed_tools.h"
#include "private_pulse.h"
#include "x_player.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <functional>
#include <memory>
#include <sys/stat.h>

namespace {
// Only bounds the wait for a process that would otherwise never end; the
// player needs about half a second.
constexpr int kGiveUpMs = 10000;
constexpr int kExitX = 12, kExitY = 12;
constexpr int kPlayX = 184, kPlayY = 123;

// True once one of the process's threads waits in the kernel for the other
// end of a FIFO.
bool blockedOpeningFifo(qint64 pid)
{
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile wchan(tasks.filePath(task + QStringLiteral("/wchan")));
        if (wchan.open(QIODevice::ReadOnly) && wchan.readAll().contains("wait_for_partner"))
            return true;
    }
    return false;
}

bool soundServerPlays(const PrivatePulse &pulse)
{
    QProcess pactl;
    pactl.setProcessEnvironment(pulse.environment());
    pactl.start(QStringLiteral("pactl"), {"list", "short", "sink-inputs"});
    return pactl.waitForFinished(kGiveUpMs) && !pactl.readAllStandardOutput().trimmed().isEmpty();
}
}  // namespace

class TestBoundedExit : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void exitDoesNotWaitForAFifo_data();
    void exitDoesNotWaitForAFifo();
    void exitDoesNotWaitForAFrozenSoundServer();

private:
    void startPlayer(const QString &device, const QProcessEnvironment &env);
    void exitAndExpectGone(bool bySignal = false);
    QString lockPath() const { return m_runtime->path() + QStringLiteral("/velor-cdplayer.lock"); }

    std::unique_ptr<QTemporaryDir> m_runtime;
    QProcess m_player;
    QString m_window;
};

void TestBoundedExit::initTestCase()
{
    SKIP_UNLESS(canDriveRealWindows(), "an X server and xdotool (tools/run-tests.sh starts Xvfb)");
}

void TestBoundedExit::init()
{
    m_runtime = std::make_unique<QTemporaryDir>(scratchDir() + QStringLiteral("/runtime-XXXXXX"));
    QVERIFY(m_runtime->isValid());
}

void TestBoundedExit::cleanup()
{
    m_player.kill();
    m_player.waitForFinished(kGiveUpMs);
    m_runtime.reset();
}

void TestBoundedExit::startPlayer(const QString &device, const QProcessEnvironment &base)
{
    QProcessEnvironment env = base;
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime->path());
    m_player.setProcessEnvironment(env);
    m_player.setProcessChannelMode(QProcess::SeparateChannels);
    m_player.setReadChannel(QProcess::StandardError);
    m_player.start(QStringLiteral(VELOR_PLAYER), {QStringLiteral("--device"), device});
    QVERIFY(m_player.waitForStarted(kGiveUpMs));
    m_window = waitForPlayerWindow(m_player);
    QVERIFY2(!m_window.isEmpty(), "the player shows its window");
}

void TestBoundedExit::exitAndExpectGone(bool bySignal)
{
    if (bySignal)
        m_player.terminate();
    else
        QVERIFY(clickInWindow(m_window, kExitX, kExitY));
    QVERIFY2(m_player.waitForFinished(kGiveUpMs), "the player ends after the exit button or SIGTERM");
    QCOMPARE(m_player.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_player.exitCode(), 0);
    QVERIFY2(!QFile::exists(lockPath()), "the lock is let go");
}

void TestBoundedExit::exitDoesNotWaitForAFifo_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("bySignal");
    const QString fifo = scratchDir() + QStringLiteral("/nobody-writes.bin");
    QFile::remove(fifo);
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    const QString cue = scratchDir() + QStringLiteral("/fifo-data.cue");
    QFile sheet(cue);
    QVERIFY(sheet.open(QIODevice::WriteOnly));
    sheet.write("FILE \"nobody-writes.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    QTest::newRow("cue whose data file is a FIFO") << cue << false;
    QTest::newRow("FIFO as the drive") << fifo << false;
    QTest::newRow("FIFO as the drive, SIGTERM") << fifo << true;
}

void TestBoundedExit::exitDoesNotWaitForAFifo()
{
    QFETCH(QString, device);
    QFETCH(bool, bySignal);
    PrivatePulse none;  // never started: no sound server to wait for either
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PULSE_SERVER"), none.server());
    startPlayer(device, env);
    const QByteArray fifoName = QFileInfo(device).fileName().toUtf8();
    QByteArray said;
    QVERIFY2(QTest::qWaitFor([&] {
                 said += m_player.readAllStandardError();
                 return blockedOpeningFifo(m_player.processId()) || said.contains(fifoName);
             }, kGiveUpMs),
             "the player either waits on the FIFO or refuses it");
    exitAndExpectGone(bySignal);
}

void TestBoundedExit::exitDoesNotWaitForAFrozenSoundServer()
{
    SKIP_UNLESS(PrivatePulse::available(), "pulseaudio");
    PrivatePulse pulse;
    QVERIFY(pulse.start());
    startPlayer(writeDisc(QStringLiteral("frozen-server"), tracksOfSeconds({30})), pulse.environment());
    // The disc is read half a second after the window shows; a click before
    // that is ignored, as it is for a user, who would click again.
    QVERIFY2(QTest::qWaitFor([&] { return clickInWindow(m_window, kPlayX, kPlayY) && soundServerPlays(pulse); },
                             kGiveUpMs),
             "the player plays to the server");

    const pid_t server = pid_t(pulse.processId());
    QCOMPARE(::kill(server, SIGSTOP), 0);
    const std::unique_ptr<void, std::function<void(void *)>> thaw(this, [server](void *) {
        ::kill(server, SIGCONT);
    });
    exitAndExpectGone();
}

QTEST_GUILESS_MAIN(TestBoundedExit)
#include "tst_bounded_exit.moc"
