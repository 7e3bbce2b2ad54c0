// SPDX-License-Identifier: GPL-3.0-or-later
// Plays a disc image through the device control in real time, for the
// benchmarks in run-benchmarks.sh:
//   bench_play --seconds N DISC     play N seconds, then quit (CPU and memory are
//                                   measured from outside)
//   bench_play --latency N DISC     N times: play, and time until the sink's
//                                   monitor (parec) delivers the first sound
#include "cd_audio_control.h"
#include "open_device.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

bool hasSound(const QByteArray &pcm)
{
    return std::any_of(pcm.begin(), pcm.end(), [](char c) { return c != 0; });
}

int measureLatency(CdAudioControl &mmc, int rounds, const QString &monitor)
{
    QProcess parec;
    parec.start("parec", {"--raw", "--format=s16le", "--rate=44100", "--channels=2",
                          "--latency-msec=5", "-d", monitor});
    if (!parec.waitForStarted(5000) || !parec.waitForReadyRead(5000)) {
        std::fprintf(stderr, "parec did not start\n");
        return 1;
    }
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        mmc.command("stop");
        // Let the sink fall silent, then drop what was recorded so far.
        QElapsedTimer quiet;
        quiet.start();
        while (quiet.elapsed() < 500)
            parec.waitForReadyRead(50), parec.readAll();
        QElapsedTimer elapsed;
        elapsed.start();
        mmc.setFrom(2 + i % 3);
        mmc.command("play");
        while (elapsed.elapsed() < 5000) {
            parec.waitForReadyRead(1);
            if (hasSound(parec.readAll()))
                break;
        }
        ms.push_back(elapsed.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("play to first sound at the sink (incl. parec's 5 ms): median %.1f ms, min %.1f, max %.1f over %d\n",
                ms[ms.size() / 2], ms.front(), ms.back(), rounds);
    parec.kill();
    parec.waitForFinished();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: bench_play --seconds N DISC | --latency N DISC\n");
        return 2;
    }
    const int n = args[2].toInt();
    CdAudioControl::Options options;
    options.device = args[3];
    CdAudioControl mmc(options);
    openAndWaitForDisc(mmc, CdAudioControl::TimeFormatTmsf);
    if (mmc.trackCount() == 0)
        return 1;
    if (args[1] == "--latency")
        return measureLatency(mmc, n, qEnvironmentVariable("VELOR_MONITOR", "velor_null.monitor"));

    mmc.command("play");
    QTimer::singleShot(n * 1000, &app, [&] {
        std::printf("played to %s, position %08x\n", qPrintable(mmc.outputName()), unsigned(mmc.position()));
        app.quit();
    });
    return app.exec();
}
