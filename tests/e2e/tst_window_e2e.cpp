// SPDX-License-Identifier: GPL-3.0-or-later
// The real player on a desktop of the test's own (Xvfb with openbox):
// dragged by its handle, ended with its exit button and started again,
// it opens where it was left; the product information opens once, beside
// a player that still plays.
#include "disc_rig.h"
#include "needed_tools.h"
#include "private_desktop.h"
#include "private_pulse.h"

#include <QProcess>

namespace {
// Places on the main window's skin: the drag handle and three buttons.
const QPoint kHandle{12, 88};
const QPoint kExit{12, 12};
const QPoint kInfo{239, 96};
const QPoint kPlay{184, 123};
}  // namespace

class WindowEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void opensWhereItWasLeft();
    void productInformationOpensOnce();
    void cleanupTestCase();

private:
    QString xdotool(const QStringList &args) const;
    void startPlayer();
    QRect geometry(const QString &window) const;
    void click(const QString &window, QPoint p) const;
    QStringList windowsNamed(const QString &name) const;
    QByteArray settingsFile() const;

    std::unique_ptr<PrivateDesktop> m_desktop;
    std::unique_ptr<PrivatePulse> m_pulse;
    QString m_disc;
    QString m_config;
    QProcess m_player;
    QString m_window;
};

void WindowEndToEndTest::initTestCase()
{
    SKIP_UNLESS(PrivateDesktop::available() && PrivatePulse::available(), "Xvfb, openbox, xdotool and pulseaudio");
    m_desktop = std::make_unique<PrivateDesktop>();
    QVERIFY(m_desktop->start());
    m_pulse = std::make_unique<PrivatePulse>();
    QVERIFY(m_pulse->start());
    m_disc = writeDisc(QStringLiteral("window-e2e"), tracksOfSeconds({20}));
    m_config = scratchDir() + QStringLiteral("/window-e2e-config");
}

void WindowEndToEndTest::cleanupTestCase()
{
    m_player.kill();
    m_player.waitForFinished();
}

QString WindowEndToEndTest::xdotool(const QStringList &args) const
{
    QProcess process;
    process.setProcessEnvironment(m_desktop->environment());
    process.start(QStringLiteral("xdotool"), args);
    process.waitForFinished(20000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

void WindowEndToEndTest::startPlayer()
{
    QProcessEnvironment env = m_desktop->environment(m_pulse->environment());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), scratchDir());
    m_player.setProcessEnvironment(env);
    m_player.setProcessChannelMode(QProcess::ForwardedChannels);
    m_player.start(QStringLiteral(VELOR_PLAYER_BINARY), {"--device", m_disc});
    QVERIFY(m_player.waitForStarted(10000));
    m_window = xdotool({"search", "--sync", "--onlyvisible", "--pid", QString::number(m_player.processId())})
                   .section(QLatin1Char('\n'), 0, 0);
    QVERIFY(!m_window.isEmpty());
}

QRect WindowEndToEndTest::geometry(const QString &window) const
{
    QMap<QString, int> values;
    for (const QString &line : xdotool({"getwindowgeometry", "--shell", window}).split(QLatin1Char('\n')))
        values.insert(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1).toInt());
    return QRect(values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]);
}

void WindowEndToEndTest::click(const QString &window, QPoint p) const
{
    xdotool({"mousemove", "--window", window, QString::number(p.x()), QString::number(p.y()), "click", "1"});
}

QStringList WindowEndToEndTest::windowsNamed(const QString &name) const
{
    return xdotool({"search", "--onlyvisible", "--name", name}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QByteArray WindowEndToEndTest::settingsFile() const
{
    QFile file(m_config + QStringLiteral("/velor-cdplayer/fank.pzi"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WindowEndToEndTest::opensWhereItWasLeft()
{
    startPlayer();
    const QRect first = geometry(m_window);
    QCOMPARE(first.size(), QSize(276, 139));

    // The window manager takes the move a moment after the press: nudge
    // the mouse until the window follows, then carry it on and let go.
    xdotool({"mousemove", "--window", m_window, QString::number(kHandle.x()), QString::number(kHandle.y())});
    xdotool({"mousedown", "1"});
    for (int nudge = 0; nudge < 100 && geometry(m_window).topLeft() == first.topLeft(); ++nudge)
        xdotool({"mousemove_relative", "--", "-1", "-1"});
    xdotool({"mousemove_relative", "--", "-250", "-200"});
    xdotool({"mouseup", "1"});
    const QRect left = geometry(m_window);
    QVERIFY(left.topLeft() != first.topLeft());
    const QByteArray expected = QByteArray::number(left.x() * 15) + ',' + QByteArray::number(left.y() * 15) + "\r\n";
    QVERIFY2(QTest::qWaitFor([&] { return settingsFile() == expected; }, 10000),
             settingsFile().constData());

    click(m_window, kExit);
    QVERIFY(m_player.waitForFinished(10000));
    QCOMPARE(m_player.exitCode(), 0);

    startPlayer();
    QCOMPARE(geometry(m_window).topLeft(), left.topLeft());
}

void WindowEndToEndTest::productInformationOpensOnce()
{
    const QString title = QStringLiteral("製品情報");
    click(m_window, kInfo);
    const QString productWindow = xdotool({"search", "--sync", "--onlyvisible", "--name", title});
    QCOMPARE(geometry(productWindow).size(), QSize(420, 192));
    click(m_window, kInfo);
    QCOMPARE(windowsNamed(title), QStringList{productWindow});

    // The main window stays usable: play is heard.
    QProcess parec;
    parec.setProcessEnvironment(m_pulse->environment());
    parec.start("parec", {"--raw", "--format=s16le", "--rate=44100", "--channels=2", "-d", "velor_null.monitor"});
    QVERIFY(parec.waitForStarted(10000));
    QByteArray recorded;
    bool heard = false;
    for (int attempt = 0; attempt < 10 && !heard; ++attempt) {
        click(m_window, kPlay);
        const qsizetype from = recorded.size();
        while (!heard && recorded.size() - from < 44100 * 4 && parec.waitForReadyRead(5000)) {
            recorded += parec.readAll();
            heard = recorded.mid(from).count('\0') < recorded.size() - from;
        }
    }
    parec.kill();
    parec.waitForFinished();
    QVERIFY(heard);
}

QTEST_GUILESS_MAIN(WindowEndToEndTest)
#include "tst_window_e2e.moc"
