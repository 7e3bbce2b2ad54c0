// The desktop's media controls, over a real session bus (the test runs
// under dbus-run-session): a client on its own connection calls the player
// as playerctl would, and the player must end up exactly where the same
// buttons leave a twin player.
#include "mpris_service.h"
#include "mpris_values.h"
#include "player_rig.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QFile>
#include <QtTest>

namespace {
constexpr char kPlayerInterface[] = "org.mpris.MediaPlayer2.Player";

// Collects the Player interface's PropertiesChanged announcements.
class ChangeListener : public QObject {
    Q_OBJECT
public:
    QList<QVariantMap> changes;
public slots:
    void propertiesChanged(const QString &interface, const QVariantMap &changed, const QStringList &)
    {
        if (interface == QLatin1String(kPlayerInterface))
            changes << changed;
    }
};
}  // namespace

class TestMpris : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void methodsActAsTheButtons();
    void metadataFollowsTheTrackWithAndWithoutCdText();
    void loopStatusAndSeek();

private:
    // A player on the bus with its twin driven by the buttons' procedures.
    void startPlayer(const QString &disc);
    void call(const char *method, const QVariantList &args = {});
    QVariant property(const char *name);
    bool setProperty(const char *name, const QVariant &value);
    void bothUpdate(int count = 1);

    QString m_disc, m_textDisc;
    std::unique_ptr<PlayerRig> m_bus, m_twin;
    std::unique_ptr<MprisService> m_service;
    QDBusConnection m_client{QString()};
};

void TestMpris::initTestCase()
{
    QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run under dbus-run-session");
    m_client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("client"));
    m_disc = writeDisc(QStringLiteral("mpris"), tracksOfSeconds({3, 3, 3}));

    // The same disc with CD-Text in its sheet, written as a UTF-8 sheet is.
    QFile plain(m_disc);
    QVERIFY(plain.open(QIODevice::ReadOnly));
    QByteArray sheet = "PERFORMER \"Velor Ensemble\"\nTITLE \"朝の音\"\n" + plain.readAll();
    sheet.replace("TRACK 02 AUDIO\n", "TRACK 02 AUDIO\n    TITLE \"二番目\"\n    PERFORMER \"Guest\"\n");
    m_textDisc = m_disc.chopped(4) + QStringLiteral("-text.cue");
    QFile text(m_textDisc);
    QVERIFY(text.open(QIODevice::WriteOnly) && text.write(sheet) == sheet.size());
    text.close();
    QVERIFY(QFile::link(m_disc.chopped(4) + QStringLiteral(".bin"), m_textDisc.chopped(4) + QStringLiteral(".bin")));
}

void TestMpris::startPlayer(const QString &disc)
{
    m_service.reset();
    m_bus = std::make_unique<PlayerRig>(disc);
    m_twin = std::make_unique<PlayerRig>(disc);
    m_service = std::make_unique<MprisService>(*m_bus->core, *m_bus->transport);
    QVERIFY(m_service->registerOn(QDBusConnection::sessionBus()));
    m_bus->open();
    m_twin->open();
}

void TestMpris::call(const char *method, const QVariantList &args)
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        QLatin1String(MprisService::kServiceName), QLatin1String(MprisService::kObjectPath),
        QLatin1String(kPlayerInterface), QLatin1String(method));
    message.setArguments(args);
    QDBusPendingCallWatcher watcher(m_client.asyncCall(message));
    QTRY_VERIFY(watcher.isFinished());
    QVERIFY2(!watcher.isError(), qPrintable(watcher.error().message()));
}

QDBusMessage propertiesCall(const char *method, const char *name)
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        QLatin1String(MprisService::kServiceName), QLatin1String(MprisService::kObjectPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QLatin1String(method));
    return message << QLatin1String(kPlayerInterface) << QLatin1String(name);
}

QVariant TestMpris::property(const char *name)
{
    const QDBusMessage message = propertiesCall("Get", name);
    QDBusPendingCallWatcher watcher(m_client.asyncCall(message));
    if (!QTest::qWaitFor([&] { return watcher.isFinished(); }) || watcher.isError())
        return {};
    return watcher.reply().arguments().value(0).value<QDBusVariant>().variant();
}

bool TestMpris::setProperty(const char *name, const QVariant &value)
{
    const QDBusMessage message = propertiesCall("Set", name) << QVariant::fromValue(QDBusVariant(value));
    QDBusPendingCallWatcher watcher(m_client.asyncCall(message));
    return QTest::qWaitFor([&] { return watcher.isFinished(); }) && !watcher.isError();
}

void TestMpris::bothUpdate(int count)
{
    m_bus->update(count);
    m_twin->update(count);
}

void TestMpris::methodsActAsTheButtons()
{
    startPlayer(m_disc);
    QCOMPARE(property("PlaybackStatus").toString(), QStringLiteral("Stopped"));

    struct Step {
        const char *method;
        void (Transport::*button)();
        const char *status;
    };
    const Step steps[] = {
        {"Play", &Transport::DoPlay, "Playing"},     {"Next", &Transport::DoNext, "Playing"},
        {"Pause", &Transport::DoPause, "Paused"},    {"PlayPause", &Transport::DoPlay, "Playing"},
        {"Previous", &Transport::DoPrev, "Playing"}, {"Stop", &Transport::DoStop, "Stopped"},
    };
    for (const Step &step : steps) {
        call(step.method);
        (m_twin->transport.get()->*step.button)();
        bothUpdate(3);
        const PlayerState &a = m_bus->state(), &b = m_twin->state();
        QVERIFY2(a.Ply == b.Ply && a.Stp == b.Stp && a.Pose == b.Pose && a.RepTr == b.RepTr, step.method);
        QCOMPARE(m_bus->text1(), m_twin->text1());
        QCOMPARE(property("PlaybackStatus").toString(), QLatin1String(step.status));
    }
    QCOMPARE(m_bus->capture.data(), m_twin->capture.data());
    QVERIFY(!m_bus->capture.data().isEmpty());
}

void TestMpris::metadataFollowsTheTrackWithAndWithoutCdText()
{
    for (const QString &disc : {m_disc, m_textDisc}) {
        const bool withText = disc == m_textDisc;
        startPlayer(disc);
        ChangeListener listener;
        QVERIFY(m_client.connect(QLatin1String(MprisService::kServiceName), QLatin1String(MprisService::kObjectPath),
                                 QStringLiteral("org.freedesktop.DBus.Properties"),
                                 QStringLiteral("PropertiesChanged"), &listener,
                                 SLOT(propertiesChanged(QString, QVariantMap, QStringList))));
        call("Play");
        call("Next");
        m_bus->update();
        QTRY_VERIFY(std::any_of(listener.changes.cbegin(), listener.changes.cend(), [](const QVariantMap &m) {
            return qdbus_cast<QVariantMap>(m.value("Metadata")).value("xesam:trackNumber").toInt() == 2;
        }));

        const QVariantMap meta = qdbus_cast<QVariantMap>(property("Metadata"));
        QCOMPARE(meta.value("mpris:trackid").value<QDBusObjectPath>().path(), Mpris::trackId(2));
        QCOMPARE(meta.value("mpris:length").toLongLong(), 3000000);
        QCOMPARE(meta.value("xesam:title").toString(), withText ? QStringLiteral("二番目") : QStringLiteral("Track 02"));
        QCOMPARE(meta.value("xesam:artist").toStringList(), withText ? QStringList{"Guest"} : QStringList{});
        QCOMPARE(meta.value("xesam:album").toString(), withText ? QStringLiteral("朝の音") : QString());
        m_client.disconnect(QLatin1String(MprisService::kServiceName), QLatin1String(MprisService::kObjectPath),
                            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"),
                            &listener, SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    }
}

void TestMpris::loopStatusAndSeek()
{
    startPlayer(m_disc);
    QVERIFY(setProperty("LoopStatus", QStringLiteral("Track")));
    QCOMPARE(m_bus->state().B, qint16(ModeTrackRepeat));
    QVERIFY(setProperty("LoopStatus", QStringLiteral("None")));
    QCOMPARE(m_bus->state().B, qint16(ModeNormal));

    call("Play");
    m_bus->update(2);
    const qint64 before = property("Position").toLongLong();
    call("Seek", {qlonglong(1000000)});
    const qint64 after = property("Position").toLongLong();
    QVERIFY2(qAbs(after - before - 1000000) < 30000, qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(after)));

    // Another track's id is stale: ignored.
    call("SetPosition", {QVariant::fromValue(QDBusObjectPath(Mpris::trackId(3))), qlonglong(0)});
    QVERIFY(property("Position").toLongLong() >= after);
    call("SetPosition", {QVariant::fromValue(QDBusObjectPath(Mpris::trackId(1))), qlonglong(500000)});
    QVERIFY(qAbs(property("Position").toLongLong() - 500000) < 30000);
}

QTEST_GUILESS_MAIN(TestMpris)
#include "tst_mpris.moc"
