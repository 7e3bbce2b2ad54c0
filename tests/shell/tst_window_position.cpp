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

QPoint centred(QSize size)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    return screen.topLeft() + QPoint((screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2);
}

QPoint handleCentre() { return QPoint(8, 48); }

}  // namespace

class TestWindowPosition : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void formatAndParse_data();
    void formatAndParse();
    void badFilesAreRefused_data();
    void badFilesAreRefused();
    void writeReplacesTheWholeFile();
    void portableCopyBesideTheExecutable();

    void startsWhereItWasLeft();
    void badOrMissingFileStartsCentred();
    void offScreenStartsCentred();
    void dragStoresTheNewPlace();
    void otherButtonRewritesThePlace();
    void failedWriteIsSaidOnce();

private:
    std::unique_ptr<WindowRig> startPlayer();

    QString m_disc;
    QString m_file;
};

void TestWindowPosition::initTestCase()
{
    m_disc = writeDisc(QStringLiteral("one"), tracksOfSeconds({5}));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratchDir() + QStringLiteral("/config")));
    m_file = SettingsFile::location();
    QVERIFY(m_file.startsWith(scratchDir()));
    QVERIFY(m_file.endsWith(QStringLiteral("/fank.pzi")));
}

void TestWindowPosition::init()
{
    QFile::remove(m_file);
}

std::unique_ptr<WindowRig> TestWindowPosition::startPlayer()
{
    return std::make_unique<WindowRig>(m_disc);
}

void TestWindowPosition::formatAndParse_data()
{
    QTest::addColumn<QPointF>("twips");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("whole") << QPointF(3000, 2250) << QByteArray("3000,2250\r\n");
    QTest::newRow("negative") << QPointF(-150, -45) << QByteArray("-150,-45\r\n");
    QTest::newRow("fraction") << QPointF(3000.5, -0.25) << QByteArray("3000.5,-0.25\r\n");
    QTest::newRow("zero") << QPointF(0, 0) << QByteArray("0,0\r\n");
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

void TestWindowPosition::writeReplacesTheWholeFile()
{
    putFile(m_file, "123456789,123456789,123456789\r\n");
    QString error;
    QVERIFY(SettingsFile::write(m_file, QPointF(-30, 45), &error));
    QCOMPARE(fileBytes(m_file), QByteArray("-30,45\r\n"));
    // Nothing of the replacement is left lying about.
    QCOMPARE(QDir(QFileInfo(m_file).path()).entryList(QDir::Files), QStringList{"fank.pzi"});

    // Where the file cannot be, the write fails and says why.
    const QString blocked = m_file + QStringLiteral("/fank.pzi");
    QVERIFY(!SettingsFile::write(blocked, QPointF(0, 0), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(fileBytes(m_file), QByteArray("-30,45\r\n"));
}

void TestWindowPosition::portableCopyBesideTheExecutable()
{
    const QString exeDir = scratchDir() + QStringLiteral("/portable");
    const QString configDir = scratchDir() + QStringLiteral("/config-portable");
    QDir().mkpath(exeDir);
    QCOMPARE(SettingsFile::location(exeDir, configDir), configDir + QStringLiteral("/fank.pzi"));
    putFile(exeDir + QStringLiteral("/fank.pzi"), "0,0\r\n");
    QCOMPARE(SettingsFile::location(exeDir, configDir), exeDir + QStringLiteral("/fank.pzi"));
}

void TestWindowPosition::startsWhereItWasLeft()
{
    for (const auto &[line, place] : {std::pair{QByteArray("3000,2250\r\n"), QPoint(200, 150)},
                                      std::pair{QByteArray("-1500,-750\r\n"), QPoint(-100, -50)},
                                      std::pair{QByteArray("  1507.5,22.4\r\n"), QPoint(101, 1)}}) {
        putFile(m_file, line);
        StderrCapture err;
        auto rig = startPlayer();
        QCOMPARE(rig->form->pos(), place);
        QCOMPARE(rig->core().state.FItiX, SettingsFile::parse(line, nullptr)->x());
        QCOMPARE(err.text(), QByteArray());
    }
}

void TestWindowPosition::badOrMissingFileStartsCentred()
{
    for (const QByteArray &bad : {QByteArray("<missing>"), QByteArray(""), QByteArray("nan,1e999\r\n"),
                                  QByteArray("3000\r\n")}) {
        if (bad != "<missing>")
            putFile(m_file, bad);
        StderrCapture err;
        auto rig = startPlayer();
        QCOMPARE(rig->form->pos(), centred(rig->form->size()));
        // The first start is no problem; a damaged file is said once and
        // left alone.
        QCOMPARE(err.text().count('\n'), bad == "<missing>" ? 0 : 1);
        QCOMPARE(fileBytes(m_file), bad);
    }
}

void TestWindowPosition::offScreenStartsCentred()
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    putFile(m_file, SettingsFile::format(QPointF(screen.right() + 1, 0) * 15));
    StderrCapture err;
    auto rig = startPlayer();
    QCOMPARE(rig->form->pos(), centred(rig->form->size()));
    QVERIFY(err.text().contains("off every screen"));

    // One pixel on the screen is enough to stay.
    QVERIFY(visibleOnAnyScreen(QRect(QPoint(screen.right(), screen.bottom()), QSize(276, 139)), {screen}));
    QVERIFY(!visibleOnAnyScreen(QRect(QPoint(-276, 0), QSize(276, 139)), {screen}));
}

// Offscreen no window manager takes the move: the window follows the mouse.
void TestWindowPosition::dragStoresTheNewPlace()
{
    putFile(m_file, "3000,2250\r\n");
    auto rig = startPlayer();
    DragHandle *handle = rig->skin().Label1;
    QTest::mousePress(handle, Qt::LeftButton, {}, handleCentre());
    QTest::mouseMove(handle, handleCentre() + QPoint(-250, 30));
    QCOMPARE(fileBytes(m_file), QByteArray("3000,2250\r\n"));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, handleCentre() + QPoint(-250, 30));
    QCOMPARE(rig->form->pos(), QPoint(-50, 180));
    QCOMPARE(fileBytes(m_file), QByteArray("-750,2700\r\n"));

    // A click without moving writes the same place again.
    QFile::remove(m_file);
    QTest::mouseClick(handle, Qt::LeftButton, {}, handleCentre());
    QCOMPARE(fileBytes(m_file), QByteArray("-750,2700\r\n"));
}

void TestWindowPosition::otherButtonRewritesThePlace()
{
    putFile(m_file, "3000,2250\r\n");
    auto rig = startPlayer();
    QFile::remove(m_file);
    QTest::mousePress(rig->skin().Label1, Qt::RightButton, {}, handleCentre());
    QCOMPARE(fileBytes(m_file), QByteArray("3000,2250\r\n"));
    QTest::mouseMove(rig->skin().Label1, handleCentre() + QPoint(40, 40));
    QTest::mouseRelease(rig->skin().Label1, Qt::RightButton, {}, handleCentre() + QPoint(40, 40));
    QCOMPARE(rig->form->pos(), QPoint(200, 150));
}

void TestWindowPosition::failedWriteIsSaidOnce()
{
    auto rig = startPlayer();
    // The folder of the file is a file: nothing can be written there.
    QDir(QFileInfo(m_file).path()).removeRecursively();
    putFile(QFileInfo(m_file).path(), "in the way");
    StderrCapture err;
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(rig->skin().Label1, Qt::RightButton, {}, handleCentre());
    QCOMPARE(err.text().count("cannot keep the window position"), 1);
    QVERIFY(rig->form->isVisible());
    QFile::remove(QFileInfo(m_file).path());
}

QTEST_MAIN(TestWindowPosition)
#include "tst_window_position.moc"
