// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's media controls, over a real session bus (the test runs
// under dbus-run-session): a client on its own connection calls the player
// as playerctl would, and the player must end up exactly where the same
// buttons leave a twin player.
#include "mpris_service.h"
#include "mpris_targets.h"
#include "mpris_values.h"
#include "player_rig.h"
#include "sequencing.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QFile>
#include <QtTest>

namespace {
constexpr char kPlayerInterface[] = "org.mpris.MediaPlayer2.Player";
constexpr char kRootInterface[] = "org.mpris.MediaPlayer2";

// Collects the Player interface's PropertiesChanged announcements, and
// keeps the properties as a desktop that read them once and then only
// listened would see them.
class ChangeListener : public QObject {
    Q_OBJECT
public:
    QList<QVariantMap> changes;
    QVariantMap view;
public slots:
    void propertiesChanged(const QString &interface, const QVariantMap &changed, const QStringList &)
    {
        if (interface != QLatin1String(kPlayerInterface))
            return;
        changes << changed;
        view.insert(changed);
    }
};

// The main window's procedures, counted.
struct CountingWindow : MprisTargets {
    int raised = 0, exited = 0;
    void bringForward() override { ++raised; }
    void exitPlayer() override { ++exited; }
};
}  // namespace

class TestMpris : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void methodsActAsTheButtons();
    void metadataFollowsTheTrackWithAndWithoutCdText();
    void loopStatusAndSeek();
    void rootMethodsReachTheWindow_data();
    void rootMethodsReachTheWindow();
    void volumeIsTheStreamsOwn_data();
    void volumeIsTheStreamsOwn();
    void canGoFollowsWhatTheButtonsDo_data();
    void canGoFollowsWhatTheButtonsDo();
    void seekStaysWithinTheTrack_data();
    void seekStaysWithinTheTrack();
    void rateZeroPauses_data();
    void rateZeroPauses();
    void wrongTypeIsAnInvalidArgument_data();
    void wrongTypeIsAnInvalidArgument();

private:
    // A player on the bus with its twin driven by the buttons' procedures.
    void startPlayer(const QString &disc);
    void call(const char *method, const QVariantList &args = {}, const char *interface = kPlayerInterface);
    QVariant property(const char *name, const char *interface = kPlayerInterface);
    bool setProperty(const char *name, const QVariant &value) { return !writeProperty(name, value).isValid(); }
    QDBusError writeProperty(const char *name, const QVariant &value);
    void listen(ChangeListener &listener, bool on = true);
    void bothUpdate(int count = 1);

    QString m_disc, m_textDisc;
    std::unique_ptr<PlayerRig> m_bus, m_twin;
    CountingWindow m_window;
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
    m_service = std::make_unique<MprisService>(*m_bus->core, *m_bus->transport, m_window);
    QVERIFY(m_service->registerOn(QDBusConnection::sessionBus()));
    m_bus->open();
    m_twin->open();
}

void TestMpris::call(const char *method, const QVariantList &args, const char *interface)
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        QLatin1String(MprisService::kServiceName), QLatin1String(MprisService::kObjectPath),
        QLatin1String(interface), QLatin1String(method));
    message.setArguments(args);
    QDBusPendingCallWatcher watcher(m_client.asyncCall(message));
    QTRY_VERIFY(watcher.isFinished());
    QVERIFY2(!watcher.isError(), qPrintable(watcher.error().message()));
}

QDBusMessage propertiesCall(const char *method, const char *name, const char *interface = kPlayerInterface)
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        QLatin1String(MprisService::kServiceName), QLatin1String(MprisService::kObjectPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QLatin1String(method));
    return message << QLatin1String(interface) << QLatin1String(name);
}

QVariant TestMpris::property(const char *name, const char *interface)
{
    const QDBusMessage message = propertiesCall("Get", name, interface);
    QDBusPendingCallWatcher watcher(m_client.asyncCall(message));
    if (!QTest::qWaitFor([&] { return watcher.isFinished(); }) || watcher.isError())
        return {};
    return watcher.reply().arguments().value(0).value<QDBusVariant>().variant();
}

QDBusError TestMpris::writeProperty(const char *name, const QVariant &value)
{
    const QDBusMessage message = propertiesCall("Set", name) << QVariant::fromValue(QDBusVariant(value));
    QDBusPendingCallWatcher watcher(m_client.asyncCall(message));
    if (!QTest::qWaitFor([&] { return watcher.isFinished(); }))
        return QDBusError(QDBusError::Timeout, QStringLiteral("no answer"));
    return watcher.error();
}

// Reads all properties once (GetAll), then follows the announcements.
void TestMpris::listen(ChangeListener &listener, bool on)
{
    const QString service = QLatin1String(MprisService::kServiceName), path = QLatin1String(MprisService::kObjectPath);
    const QString interface = QStringLiteral("org.freedesktop.DBus.Properties"), signal = QStringLiteral("PropertiesChanged");
    const char *slot = SLOT(propertiesChanged(QString, QVariantMap, QStringList));
    if (!on) {
        m_client.disconnect(service, path, interface, signal, &listener, slot);
        return;
    }
    QVERIFY(m_client.connect(service, path, interface, signal, &listener, slot));
    const QDBusMessage getAll = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("GetAll"))
        << QLatin1String(kPlayerInterface);
    QDBusPendingCallWatcher watcher(m_client.asyncCall(getAll));
    QTRY_VERIFY(watcher.isFinished());
    QVERIFY2(!watcher.isError(), qPrintable(watcher.error().message()));
    listener.view = qdbus_cast<QVariantMap>(watcher.reply().arguments().value(0));
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
        {"Play", &Transport::play, "Playing"},     {"Next", &Transport::next, "Playing"},
        {"Pause", &Transport::pause, "Paused"},    {"PlayPause", &Transport::play, "Playing"},
        {"Previous", &Transport::previous, "Playing"}, {"Stop", &Transport::stop, "Stopped"},
    };
    for (const Step &step : steps) {
        call(step.method);
        (m_twin->transport.get()->*step.button)();
        bothUpdate(3);
        const PlayerState &a = m_bus->state(), &b = m_twin->state();
        QVERIFY2(a.playWanted == b.playWanted && a.stoppedByUser == b.stoppedByUser && a.pausedByUser == b.pausedByUser && a.repeatTrack == b.repeatTrack, step.method);
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
        listen(listener);
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
        listen(listener, false);
    }
}

void TestMpris::loopStatusAndSeek()
{
    startPlayer(m_disc);
    QVERIFY(setProperty("LoopStatus", QStringLiteral("Track")));
    QCOMPARE(m_bus->state().playMode, qint16(ModeTrackRepeat));
    QVERIFY(setProperty("LoopStatus", QStringLiteral("None")));
    QCOMPARE(m_bus->state().playMode, qint16(ModeNormal));

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

void TestMpris::rootMethodsReachTheWindow_data()
{
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("ability");
    QTest::newRow("raise") << QByteArray("Raise") << QByteArray("CanRaise");
    QTest::newRow("quit") << QByteArray("Quit") << QByteArray("CanQuit");
}

void TestMpris::rootMethodsReachTheWindow()
{
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, ability);
    startPlayer(m_disc);
    m_window = CountingWindow();
    QVERIFY(property(ability, kRootInterface).toBool());
    call(method, {}, kRootInterface);
    QCOMPARE(m_window.raised, int(method == "Raise"));
    QCOMPARE(m_window.exited, int(method == "Quit"));
}

void TestMpris::volumeIsTheStreamsOwn_data()
{
    QTest::addColumn<double>("asked");
    QTest::addColumn<double>("volume");
    QTest::addColumn<bool>("muted");
    QTest::addColumn<bool>("beforeTheStream");
    QTest::newRow("half") << 0.5 << 0.5 << false << false;
    QTest::newRow("half, before the stream") << 0.5 << 0.5 << false << true;
    QTest::newRow("nothing") << 0.0 << 0.0 << false << false;
    QTest::newRow("below nothing") << -0.3 << 0.0 << false << false;
    QTest::newRow("above full") << 1.7 << 1.0 << false << false;
    QTest::newRow("while muted") << 0.25 << 0.25 << true << true;
}

void TestMpris::volumeIsTheStreamsOwn()
{
    QFETCH(double, asked);
    QFETCH(double, volume);
    QFETCH(bool, muted);
    QFETCH(bool, beforeTheStream);
    startPlayer(m_disc);
    if (muted)
        m_bus->transport->toggleMute();
    if (!beforeTheStream)
        call("Play");
    m_bus->update();
    QVERIFY(setProperty("Volume", asked));
    QCOMPARE(property("Volume").toDouble(), volume);
    call("Play");
    m_bus->update();
    QCOMPARE(m_bus->capture.volume(), volume);
    QCOMPARE(m_bus->mmc().silent(), muted);
}

void TestMpris::canGoFollowsWhatTheButtonsDo_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<int>>("program");
    QTest::addColumn<int>("nexts");
    QTest::addColumn<bool>("canGoNext");
    QTest::addColumn<bool>("canGoPrevious");
    QTest::newRow("first track") << int(ModeNormal) << QList<int>() << 0 << true << false;
    QTest::newRow("last track") << int(ModeNormal) << QList<int>() << 2 << false << true;
    QTest::newRow("track repeat, last track") << int(ModeTrackRepeat) << QList<int>() << 2 << false << true;
    QTest::newRow("disc repeat, last track") << int(ModeDiscRepeat) << QList<int>() << 2 << false << true;
    QTest::newRow("program wraps") << int(ModeProgram) << QList<int>{1, 3} << 1 << true << true;
    QTest::newRow("program of one track") << int(ModeProgramRepeat) << QList<int>{2, 2} << 0 << false << false;
}

void TestMpris::canGoFollowsWhatTheButtonsDo()
{
    QFETCH(int, mode);
    QFETCH(QList<int>, program);
    QFETCH(int, nexts);
    QFETCH(bool, canGoNext);
    QFETCH(bool, canGoPrevious);
    startPlayer(m_disc);
    ChangeListener listener;
    listen(listener);
    PlayerCore &core = *m_bus->core;
    core.state.playMode = qint16(mode);
    call("Play");
    m_bus->update();
    if (!program.isEmpty()) {
        for (int track : program)
            core.programList.add(QStringLiteral("%1").arg(track, 2, 10, QLatin1Char('0')));
        core.programList.setListIndex(0);
        core.state.programReserved = true;
        core.sequencing().playSelectedEntry();
    }
    for (int i = 0; i < nexts; ++i)
        call("Next");
    m_bus->update();
    QCOMPARE(property("CanGoNext").toBool(), canGoNext);
    QCOMPARE(property("CanGoPrevious").toBool(), canGoPrevious);
    QTRY_COMPARE(listener.view.value("CanGoNext").toBool(), canGoNext);
    QTRY_COMPARE(listener.view.value("CanGoPrevious").toBool(), canGoPrevious);
    listen(listener, false);
}

void TestMpris::seekStaysWithinTheTrack_data()
{
    QTest::addColumn<qlonglong>("offsetUs");
    QTest::addColumn<int>("track");
    QTest::addColumn<qlonglong>("positionUs");
    constexpr qlonglong kMost = std::numeric_limits<qlonglong>::max(), kLeast = std::numeric_limits<qlonglong>::min();
    QTest::newRow("within") << 1000000LL << 2 << 1400000LL;
    QTest::newRow("past the end") << 2600000LL << 3 << 0LL;
    QTest::newRow("2^31 ms on") << 2147483648000LL << 3 << 0LL;
    QTest::newRow("largest") << kMost << 3 << 0LL;
    QTest::newRow("before the start") << -400000LL << 2 << 0LL;
    QTest::newRow("2^31 ms back") << -2147483648000LL << 2 << 0LL;
    QTest::newRow("smallest") << kLeast << 2 << 0LL;
}

// Given 0.4 s into the second of three 3-second tracks.
void TestMpris::seekStaysWithinTheTrack()
{
    QFETCH(qlonglong, offsetUs);
    QFETCH(int, track);
    QFETCH(qlonglong, positionUs);
    startPlayer(m_disc);
    call("Play");
    call("Next");
    m_bus->update(2);
    call("Seek", {offsetUs});
    const qint64 at = property("Position").toLongLong();
    QVERIFY2(qAbs(at - positionUs) < 30000, qPrintable(QString::number(at)));
    m_bus->update();
    QCOMPARE(m_bus->text1().toInt(), track);
}

void TestMpris::rateZeroPauses_data()
{
    QTest::addColumn<double>("rate");
    QTest::addColumn<QString>("status");
    QTest::newRow("0") << 0.0 << "Paused";
    QTest::newRow("1") << 1.0 << "Playing";
    QTest::newRow("2") << 2.0 << "Playing";
    QTest::newRow("-1") << -1.0 << "Playing";
}

void TestMpris::rateZeroPauses()
{
    QFETCH(double, rate);
    QFETCH(QString, status);
    startPlayer(m_disc);
    call("Play");
    QVERIFY(setProperty("Rate", rate));
    QCOMPARE(property("PlaybackStatus").toString(), status);
    QCOMPARE(property("Rate").toDouble(), 1.0);
}

void TestMpris::wrongTypeIsAnInvalidArgument_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("error");
    QTest::newRow("volume as text") << QByteArray("Volume") << QVariant("0.5") << int(QDBusError::InvalidArgs);
    QTest::newRow("volume as integer") << QByteArray("Volume") << QVariant(0) << int(QDBusError::InvalidArgs);
    QTest::newRow("rate as text") << QByteArray("Rate") << QVariant("0") << int(QDBusError::InvalidArgs);
    QTest::newRow("loop status as number") << QByteArray("LoopStatus") << QVariant(1.0) << int(QDBusError::InvalidArgs);
    QTest::newRow("read-only") << QByteArray("PlaybackStatus") << QVariant("Paused") << int(QDBusError::PropertyReadOnly);
    QTest::newRow("unknown") << QByteArray("Loudness") << QVariant(0.5) << int(QDBusError::UnknownProperty);
}

void TestMpris::wrongTypeIsAnInvalidArgument()
{
    QFETCH(QByteArray, name);
    QFETCH(QVariant, value);
    QFETCH(int, error);
    startPlayer(m_disc);
    call("Play");
    const QVariantMap before = m_service->changingProperties();
    const QDBusError answer = writeProperty(name, value);
    QCOMPARE(int(answer.type()), error);
    QVERIFY2(answer.message().contains(QLatin1String(name)), qPrintable(answer.message()));
    QCOMPARE(m_service->changingProperties(), before);
}

QTEST_GUILESS_MAIN(TestMpris)
#include "tst_mpris.moc"
