// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file and the main window's place: the file's form, bad
// files, screens, the portable copy, and the drag handle that writes it.
#include "disc_rig.h"
#include "settings_file.h"
#include "stderr_capture.h"
#include "window_position.h"
#include "window_rig.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void putFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

const QPoint kOnHandle(8, 48);
const QPoint kCentred(-1, -1);

}  // namespace

class TestWindowPosition : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init() { QFile::remove(m_file); }

    void formatAndParse_data();
    void formatAndParse();
    void badFilesAreRefused_data();
    void badFilesAreRefused();
    void writtenWholeWhereItBelongs();
    void hostileGroundIsLeftAlone_data();
    void hostileGroundIsLeftAlone();
    void startingPlace_data();
    void startingPlace();
    void pressesOnTheHandleStoreThePlace();
    void failedWriteIsSaidOnce();

private:
    QString m_disc;
    QString m_file;
};

void TestWindowPosition::initTestCase()
{
    m_disc = writeDisc(QStringLiteral("one"), tracksOfSeconds({5}));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratchDir() + QStringLiteral("/config")));
    m_file = SettingsFile::location();
    QCOMPARE(m_file, scratchDir() + QStringLiteral("/config/tst_window_position/fank.pzi"));
}

void TestWindowPosition::formatAndParse_data()
{
    QTest::addColumn<QPointF>("twips");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("whole") << QPointF(3000, 2250) << QByteArray("3000,2250\r\n");
    QTest::newRow("negative") << QPointF(-150, -45) << QByteArray("-150,-45\r\n");
    QTest::newRow("fraction") << QPointF(3000.5, -0.25) << QByteArray("3000.5,-0.25\r\n");
}

void TestWindowPosition::formatAndParse()
{
    QFETCH(QPointF, twips);
    QFETCH(QByteArray, line);
    QCOMPARE(SettingsFile::format(twips), line);
    QString problem;
    QCOMPARE(SettingsFile::parse(line, &problem).value_or(QPointF(1e9, 1e9)), twips);
    // Blanks before a number are skipped; the line end is optional.
    QByteArray loose = line;
    loose.replace(",", ",  ").prepend(" \t").chop(2);
    QCOMPARE(SettingsFile::parse(loose, &problem).value_or(QPointF(1e9, 1e9)), twips);
}

void TestWindowPosition::badFilesAreRefused_data()
{
    QTest::addColumn<QByteArray>("content");
    for (const char *bad : {"", "\r\n", "left,top\r\n", "nan,0\r\n", "0,inf\r\n", "1e999,0\r\n", "3000\r\n",
                            "3000,\r\n", "99999999,2250\r\n", "3000;2250\r\n", "\r\n3000,2250\r\n"})
        QTest::newRow(bad) << QByteArray(bad);
}

void TestWindowPosition::badFilesAreRefused()
{
    QFETCH(QByteArray, content);
    QString problem;
    QCOMPARE(SettingsFile::parse(content, &problem), std::nullopt);
    QVERIFY(!problem.isEmpty());
}

void TestWindowPosition::writtenWholeWhereItBelongs()
{
    putFile(m_file, "123456789,123456789,123456789\r\n");
    QString error;
    QVERIFY(SettingsFile::write(m_file, QPointF(-30, 45), &error));
    QCOMPARE(fileBytes(m_file), QByteArray("-30,45\r\n"));
    QCOMPARE(QDir(QFileInfo(m_file).path()).entryList(QDir::Files), QStringList{"fank.pzi"});

    // A copy beside the executable wins over the configuration folder.
    const QString exeDir = scratchDir() + QStringLiteral("/portable");
    const QString configDir = scratchDir() + QStringLiteral("/config-portable");
    QCOMPARE(SettingsFile::location(exeDir, configDir), configDir + QStringLiteral("/fank.pzi"));
    putFile(exeDir + QStringLiteral("/fank.pzi"), "0,0\r\n");
    QCOMPARE(SettingsFile::location(exeDir, configDir), exeDir + QStringLiteral("/fank.pzi"));
}

// What may stand where the file belongs; each is neither waited on nor
// replaced, and the old line survives a disk that is full.
void TestWindowPosition::hostileGroundIsLeftAlone_data()
{
    QTest::addColumn<QString>("ground");
    for (const char *ground : {"fifo", "link to a fifo", "folder", "link loop", "full disk"})
        QTest::newRow(ground) << QString::fromLatin1(ground);
}

void TestWindowPosition::hostileGroundIsLeftAlone()
{
    QFETCH(QString, ground);
    const QByteArray path = QFile::encodeName(m_file);
    const QString fifo = m_file + QStringLiteral(".fifo");
    QFile::remove(fifo);
    if (ground == "fifo")
        QCOMPARE(::mkfifo(path.constData(), 0600), 0);
    if (ground == "link to a fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(QFile::link(fifo, m_file));
    }
    if (ground == "folder")
        QVERIFY(QDir().mkpath(m_file));
    if (ground == "link loop")
        QVERIFY(QFile::link(m_file, m_file));
    if (ground == "full disk")
        putFile(m_file, "3000,2250\r\n");
    const QFileInfo before(m_file);

    QString problem;
    const bool readable = ground == "full disk";
    QCOMPARE(SettingsFile::read(m_file, &problem).has_value(), readable);
    QCOMPARE(problem.isEmpty(), readable);

    // A file may grow no larger than a few bytes: the line cannot be written.
    const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
    const rlimit tiny{4, RLIM_INFINITY};
    std::signal(SIGXFSZ, SIG_IGN);
    if (ground == "full disk")
        setrlimit(RLIMIT_FSIZE, &tiny);
    QString error;
    const bool written = SettingsFile::write(m_file, QPointF(15, 15), &error);
    setrlimit(RLIMIT_FSIZE, &unlimited);
    QVERIFY(!written);
    QVERIFY(!error.isEmpty());
    const QFileInfo after(m_file);
    QCOMPARE(after.isSymLink(), before.isSymLink());
    QCOMPARE(after.isDir(), before.isDir());
    QCOMPARE(after.size(), before.size());
    if (ground == "full disk")
        QCOMPARE(fileBytes(m_file), QByteArray("3000,2250\r\n"));
    QDir(m_file).removeRecursively();
    QFile::remove(m_file);
}

void TestWindowPosition::startingPlace_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QPoint>("place");
    QTest::addColumn<int>("complaints");
    QTest::newRow("saved") << QByteArray("3000,2250\r\n") << QPoint(200, 150) << 0;
    QTest::newRow("partly off") << QByteArray("-1500,-750\r\n") << QPoint(-100, -50) << 0;
    QTest::newRow("fractions") << QByteArray("  1507.5,22.4\r\n") << QPoint(101, 1) << 0;
    QTest::newRow("first start") << QByteArray("<missing>") << kCentred << 0;
    QTest::newRow("empty") << QByteArray("") << kCentred << 1;
    QTest::newRow("damaged") << QByteArray("nan,1e999\r\n") << kCentred << 1;
    QTest::newRow("off every screen") << QByteArray("-100000,0\r\n") << kCentred << 1;
}

void TestWindowPosition::startingPlace()
{
    QFETCH(QByteArray, content);
    QFETCH(QPoint, place);
    QFETCH(int, complaints);
    if (content != "<missing>")
        putFile(m_file, content);
    StderrCapture err;
    WindowRig rig(m_disc);
    if (place == kCentred)
        place = QGuiApplication::primaryScreen()->availableGeometry().center() - rig.form->rect().center();
    QCOMPARE(rig.form->pos(), place);
    QCOMPARE(err.text().count('\n'), complaints);
    // A bad file is left alone until the next write.
    QCOMPARE(fileBytes(m_file), content);
}

// Offscreen no window manager takes the move: the window follows the mouse.
void TestWindowPosition::pressesOnTheHandleStoreThePlace()
{
    putFile(m_file, "3000,2250\r\n");
    WindowRig rig(m_disc);
    DragHandle *handle = rig.skin().dragHandle;
    QTest::mousePress(handle, Qt::LeftButton, {}, kOnHandle);
    QTest::mouseMove(handle, kOnHandle + QPoint(-250, 30));
    QCOMPARE(fileBytes(m_file), QByteArray("3000,2250\r\n"));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, kOnHandle + QPoint(-250, 30));
    QCOMPARE(rig.form->pos(), QPoint(-50, 180));
    QCOMPARE(fileBytes(m_file), QByteArray("-750,2700\r\n"));

    // A plain click, and a press with another button, which moves nothing.
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        QFile::remove(m_file);
        QTest::mousePress(handle, button, {}, kOnHandle);
        QTest::mouseRelease(handle, button, {}, kOnHandle);
        QCOMPARE(fileBytes(m_file), QByteArray("-750,2700\r\n"));
    }
}

void TestWindowPosition::failedWriteIsSaidOnce()
{
    WindowRig rig(m_disc);
    // The file's folder is a file: nothing can be written there.
    const QString folder = QFileInfo(m_file).path();
    QDir(folder).removeRecursively();
    putFile(folder, "in the way");
    StderrCapture err;
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(rig.skin().dragHandle, Qt::RightButton, {}, kOnHandle);
    QCOMPARE(err.text().count("cannot keep the window position"), 1);
    QVERIFY(rig.form->isVisible());
    QFile::remove(folder);
}

QTEST_MAIN(TestWindowPosition)
#include "tst_window_position.moc"
