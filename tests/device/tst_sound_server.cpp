// SPDX-License-Identifier: GPL-3.0-or-later
// Playback in real time to a real PulseAudio server: what the sink hears is
// an exact, contiguous run of the disc; a server that is missing or goes
// away leaves the player running silently until it is back.
#include "capture_runs.h"
#include "disc_rig.h"
#include "needed_tools.h"
#include "private_pulse.h"

#include <QProcess>

class SoundServerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void sinkHearsAnExactRunOfTheDisc();
    void missingServerPlaysOnInSilence();
    void serverKilledDuringPlayIsRejoined();
    void volumeFollowsTheMixer();

private:
    std::unique_ptr<CdAudioControl> realTimeControl(const QString &disc);
    QString m_disc;
};

void SoundServerTest::initTestCase()
{
    SKIP_UNLESS(PrivatePulse::available(), "pulseaudio");
    m_disc = writeDisc("server", tracksOfSeconds({3, 3, 3}));
}

std::unique_ptr<CdAudioControl> SoundServerTest::realTimeControl(const QString &disc)
{
    CdAudioControl::Options options;
    options.device = disc;
    auto control = std::make_unique<CdAudioControl>(options);
    control->setTimeFormat(CdAudioControl::TimeFormatTmsf);
    control->command("open");
    (void)QTest::qWaitFor([&] { return control->trackCount() > 0; }, 10000);
    return control;
}

void SoundServerTest::sinkHearsAnExactRunOfTheDisc()
{
    PrivatePulse pulse;
    QVERIFY(pulse.start());
    qputenv("PULSE_SERVER", pulse.server().toUtf8());

    QProcess parec;
    parec.setProcessEnvironment(pulse.environment());
    parec.start("parec", {"--raw", "--format=s16le", "--rate=44100", "--channels=2",
                          "--latency-msec=20", "-d", "velor_null.monitor"});
    QVERIFY(parec.waitForStarted(10000));
    // The monitor delivers silence once the recording stream is up.
    QVERIFY(parec.waitForReadyRead(10000));

    auto device = realTimeControl(m_disc);
    QVERIFY(device->trackCount() > 0);
    device->command("play");
    // Record until two and a half seconds of the disc have been heard.
    QByteArray recorded;
    const qint64 wanted = 110250 * 4;
    while (parec.state() == QProcess::Running) {
        parec.waitForReadyRead(10000);
        recorded += parec.readAll();
        const auto runs = capturedRuns(recorded);
        qint64 coded = 0;
        for (const CapturedRun &r : runs)
            coded += r.silence ? 0 : r.count * 4;
        if (coded >= wanted)
            break;
    }
    parec.kill();
    parec.waitForFinished();
    QCOMPARE(device->outputName(), QStringLiteral("pulse"));

    std::vector<CapturedRun> heard;
    for (const CapturedRun &r : capturedRuns(recorded))
        if (!r.silence)
            heard.push_back(r);
    QVERIFY2(heard.size() == 1, qPrintable(describeRuns(heard)));
    // The sink's monitor may miss the few milliseconds in which the server
    // starts mixing a new stream; from there on nothing is lost or repeated.
    QVERIFY2(heard[0].first < 2205, qPrintable(describeRuns(heard)));
    QVERIFY(heard[0].count * 4 >= wanted);
    device->command("close");
}

void SoundServerTest::missingServerPlaysOnInSilence()
{
    qputenv("PULSE_SERVER", QByteArray("unix:") + scratchDir().toUtf8() + "/no-server-here");
    auto device = realTimeControl(m_disc);
    QVERIFY(device->trackCount() > 0);
    device->command("play");
    QTRY_COMPARE_WITH_TIMEOUT(device->outputName(), QStringLiteral("null"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT((device->position() >> 16 & 0xFF) >= 1, 10000);  // a second went by
    QCOMPARE(device->mode(), qint32(CdAudioControl::ModePlaying));
}

void SoundServerTest::serverKilledDuringPlayIsRejoined()
{
    auto pulse = std::make_unique<PrivatePulse>();
    QVERIFY(pulse->start());
    qputenv("PULSE_SERVER", pulse->server().toUtf8());
    auto device = realTimeControl(m_disc);
    QVERIFY(device->trackCount() > 0);
    device->command("play");
    QTRY_COMPARE_WITH_TIMEOUT(device->outputName(), QStringLiteral("pulse"), 10000);
    device->setTimeFormat(CdAudioControl::TimeFormatMilliseconds);
    QTRY_VERIFY_WITH_TIMEOUT(device->position() >= 1000, 10000);
    const qint32 beforeKill = device->position();

    pulse->kill();
    QTRY_COMPARE_WITH_TIMEOUT(device->outputName(), QStringLiteral("null"), 10000);
    QCOMPARE(device->mode(), qint32(CdAudioControl::ModePlaying));

    // A new server on the same socket: the player finds it again.
    PrivatePulse again;
    qputenv("PULSE_SERVER", again.server().toUtf8());
    QVERIFY(again.start());
    QTRY_COMPARE_WITH_TIMEOUT(device->outputName(), QStringLiteral("pulse"), 10000);
    // The play goes on from what was heard last, not from where it began.
    QVERIFY2(device->position() >= beforeKill, qPrintable(QString::number(device->position())));
}


// The volume asked for reads back at once; one the user sets in the
// server's mixer (pactl stands in for the desktop's volume control) reads
// back once the server has told of it.
void SoundServerTest::volumeFollowsTheMixer()
{
    PrivatePulse pulse;
    QVERIFY(pulse.start());
    qputenv("PULSE_SERVER", pulse.server().toUtf8());
    auto device = realTimeControl(m_disc);
    device->command("play");
    QTRY_COMPARE_WITH_TIMEOUT(device->outputName(), QStringLiteral("pulse"), 10000);
    device->setVolume(0.5);
    QCOMPARE(device->volume(), 0.5);

    const auto pactl = [&pulse](const QStringList &arguments) {
        QProcess process;
        process.setProcessEnvironment(pulse.environment());
        process.start(QStringLiteral("pactl"), arguments);
        process.waitForFinished(10000);
        return QString::fromUtf8(process.readAllStandardOutput());
    };
    QString stream;
    QTRY_VERIFY_WITH_TIMEOUT(!(stream = pactl({"list", "short", "sink-inputs"}).section(QLatin1Char('\t'), 0, 0)).isEmpty(), 10000);
    pactl({"set-sink-input-volume", stream.trimmed(), "25%"});
    QTRY_COMPARE_WITH_TIMEOUT(device->volume(), 0.25, 10000);
    device->command("close");
}

QTEST_GUILESS_MAIN(SoundServerTest)
#include "tst_sound_server.moc"
