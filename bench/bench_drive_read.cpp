// SPDX-License-Identifier: GPL-3.0-or-later
// What a drive's verified reads cost beside plain image reads: the same
// disc image read whole, once as a disc image and once standing in for a
// drive (every sector through paranoia), in CPU seconds per minute of sound.
#include "audio_output.h"
#include "disc_source.h"
#include "image_drive.h"
#include "problem_report.h"

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
    return 0;
}
