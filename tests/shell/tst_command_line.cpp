// SPDX-License-Identifier: GPL-3.0-or-later
// The command line as users and file managers give it, and starts without a
// display, run as real processes with no window system in reach.
#include "command_line.h"
#include "file_names.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// Only bounds a wait on another process; nothing is timed by it.
constexpr int kGiveUpMs = 60000;

struct Outcome {
    int status = -1;
    QByteArray out, err;
};
}  // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void pathsAndRefusals_data();
    void pathsAndRefusals();
    void answersWithoutDisplay_data();
    void answersWithoutDisplay();

private:
    Outcome runWithoutDisplay(const QStringList &arguments);
    QTemporaryDir m_runtime;
};

void TestCommandLine::pathsAndRefusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("device");
    using A = CommandLine::Action;
    QTest::newRow("nothing: default drive") << QStringList{} << int(A::Run) << QString();
    QTest::newRow("--device") << QStringList{"--device", "/dev/sr1"} << int(A::Run) << "/dev/sr1";
    QTest::newRow("--device=") << QStringList{"--device=a b.cue"} << int(A::Run) << "a b.cue";
    QTest::newRow("a path alone") << QStringList{"album.cue"} << int(A::Run) << "album.cue";
    QTest::newRow("after --") << QStringList{"--", "-odd.cue"} << int(A::Run) << "-odd.cue";
    QTest::newRow("two paths") << QStringList{"a.cue", "b.cue"} << int(A::Refuse) << QString();
    QTest::newRow("path and --device") << QStringList{"--device", "a.cue", "b.cue"} << int(A::Refuse) << QString();
    QTest::newRow("unknown option") << QStringList{"--bogus"} << int(A::Refuse) << QString();
    QTest::newRow("--device without path") << QStringList{"--device"} << int(A::Refuse) << QString();
    QTest::newRow("empty path") << QStringList{""} << int(A::Refuse) << QString();
    QTest::newRow("help wins") << QStringList{"a.cue", "-h"} << int(A::ShowHelp) << QString();
    // What a desktop hands over for an inserted CD or a file.
    QTest::newRow("cdda://") << QStringList{"cdda://sr1"} << int(A::Run) << "/dev/sr1";
    QTest::newRow("cdda:// with host= and /") << QStringList{"cdda://host=sr0/"} << int(A::Run) << "/dev/sr0";
    QTest::newRow("mount folder") << QStringList{"/run/user/1000/gvfs/cdda:host=sr2"} << int(A::Run) << "/dev/sr2";
    QTest::newRow("file://") << QStringList{"file:///tmp/a%20b.cue"} << int(A::Run) << "/tmp/a b.cue";
    QTest::newRow("file:// not UTF-8") << QStringList{"file:///tmp/%E9.cue"} << int(A::Run)
                                       << fileNameFromBytes("/tmp/\xe9.cue");
    QTest::newRow("another URL") << QStringList{"http://example.org/a.cue"} << int(A::Run) << QString();
    QTest::newRow("a drive that is not one") << QStringList{"cdda://usb0"} << int(A::Run) << QString();
}

void TestCommandLine::pathsAndRefusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QString, device);
    const CommandLine line = parseCommandLine(QStringList{"/usr/bin/velor-cdplayer"} + arguments);
    QCOMPARE(int(line.action), action);
    QCOMPARE(line.device, device);
    // What cannot be opened is named, and the default drive opens.
    if (line.action == CommandLine::Action::Run && device.isEmpty() && !arguments.isEmpty())
        QVERIFY(line.text.contains(arguments.last()));
    if (line.action == CommandLine::Action::Refuse) {
        QCOMPARE(line.exitStatus(), 2);
        QVERIFY(line.text.startsWith("velor-cdplayer: "));
        QVERIFY(!line.text.contains('\n'));
    }
}

Outcome TestCommandLine::runWithoutDisplay(const QStringList &arguments)
{
    QProcess player;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(variable);
    env.insert("XDG_RUNTIME_DIR", m_runtime.path());  // no compositor socket there
    player.setProcessEnvironment(env);
    player.start(QStringLiteral(VELOR_PLAYER), arguments);
    if (!player.waitForFinished(kGiveUpMs))
        player.kill();
    return {player.exitStatus() == QProcess::NormalExit ? player.exitCode() : -1,
            player.readAllStandardOutput(), player.readAllStandardError()};
}

void TestCommandLine::answersWithoutDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::newRow("help") << QStringList{"--help"} << 0 << QByteArray("--device <PATH>") << QByteArray();
    QTest::newRow("version") << QStringList{"--version"} << 0 << QByteArray(VELOR_VERSION) << QByteArray();
    QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << QByteArray() << QByteArray("bogus");
    QTest::newRow("no display") << QStringList{"none.cue"} << 1 << QByteArray()
                                << QByteArray("cannot open a window");
}

void TestCommandLine::answersWithoutDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    const Outcome outcome = runWithoutDisplay(arguments);
    QCOMPARE(outcome.status, status);
    QVERIFY(outcome.out.contains(out));
    QVERIFY2(outcome.err.contains(err), outcome.err.constData());
    if (status != 0)
        QCOMPARE(outcome.err.count('\n'), 1);  // one line, not Qt's abort text
    QVERIFY2(!QFile::exists(m_runtime.filePath("velor-cdplayer.lock")), "no lock is left behind");
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
