// SPDX-License-Identifier: GPL-3.0-or-later
// What a drive's verified reads cost beside plain image reads: the same
// disc image read whole, once as a disc image and once standing in for a
// drive (every sector through paranoia), in CPU seconds per minute of sound.
// Then how the stand-in drive's model turns while the disc plays through:
// per played minute the seconds its spindle spends at each speed and its
// spin-ups, at its own speed (as the player read before it set one) and
// at the pace the player sets.
#include "audio_output.h"
#include "disc_source.h"
#include "image_drive.h"
#include "problem_report.h"
#include "read_ahead_model.h"

#include <QCoreApplication>

#include <cstdio>
#include <ctime>
#include <vector>

namespace {

double cpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// CPU seconds per minute of sound for reading every audio sector.
double costPerMinute(const QString &image, DriveAccess *access)
{
    ProblemReport report;
    auto source = DiscSource::open(image, &report, access);
    if (!source)
        return -1;
    std::vector<char> sector(kSectorBytes);
    qint64 sectors = 0;
    const double start = cpuSeconds();
    for (const TrackInfo &track : source->toc().tracks()) {
        if (!track.audio)
            continue;
        for (qint64 lsn = track.startLsn; lsn < track.endLsn; ++lsn)
            source->readSector(lsn, sector.data());
        sectors += track.endLsn - track.startLsn;
    }
    const double minutes = double(sectors) / 75 / 60;
    return (cpuSeconds() - start) / minutes;
}

void printModelPlay(const QString &image, const DriveModel &model, bool paced)
{
    ImageDrive drive(image);
    drive.setModel(model);
    ProblemReport report;
    auto source = DiscSource::open(image, &report, &drive);
    const TrackInfo *first = source ? source->toc().firstAudio() : nullptr;
    if (!first)
        return;
    const ModelPlay play = playInModel(*source, drive, first->startLsn, source->toc().lastAudio()->endLsn, paced);
    const double minutes = double(play.soundUs) / 60e6;
    std::printf("  %-22s", paced ? "paced by the player" : "at the drive's own");
    for (const auto &[speed, us] : drive.usAtSpeed())
        std::printf(" %2dx %6.2f s", speed, double(us) / 1e6 / minutes);
    std::printf(" | spin-ups %.2f, highest after the first fill %dx, %s\n", drive.spinUps() / minutes,
                play.highestSteadySpeed, play.underrun ? "UNDERRUN" : "no underrun");
}

void printModelPlays(const QString &image)
{
    DriveModel keepsTurning;
    DriveModel stopsItself;
    stopsItself.selfStopAfterUs = 2000000;
    DriveModel worn;
    worn.slowdown = 3;
    const std::pair<const char *, DriveModel> models[] = {
        {"a drive that keeps turning", keepsTurning},
        {"a drive that stops after 2 s without a read", stopsItself},
        {"a worn disc: reads take 3 times as long", worn},
    };
    std::printf("modelled drive (top %dx, spin-up %.1f s), per minute of sound:\n", keepsTurning.topSpeed,
                double(keepsTurning.spinUpUs) / 1e6);
    for (const auto &[name, model] : models) {
        std::printf(" %s\n", name);
        printModelPlay(image, model, false);
        printModelPlay(image, model, true);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_drive_read IMAGE.cue\n");
        return 2;
    }
    const QString image = QString::fromLocal8Bit(argv[1]);
    ImageDrive drive(image);
    const double plain = costPerMinute(image, nullptr);
    const double paranoia = costPerMinute(image, &drive);
    if (plain < 0 || paranoia < 0)
        return 1;
    std::printf("disc reads, CPU s per minute of sound: plain image %.4f, through paranoia %.4f\n", plain,
                paranoia);
    printModelPlays(image);
    return 0;
}
