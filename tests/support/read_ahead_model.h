// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cd_audio_format.h"
#include "disc_drive.h"
#include "disc_source.h"
#include "image_drive.h"
#include "read_pace.h"

#include <algorithm>
#include <cmath>
#include <vector>

// A play of the disc in the stand-in drive's model time: the sound takes 75
// sectors a second from a read-ahead the size of the disc thread's, refilled
// as the disc thread refills it (from half empty to full), the drive reading
// at the speeds ReadPace asks for, or, unpaced, at its own as the player did
// before it set any.
struct ModelPlay {
    bool underrun = false;
    int highestSteadySpeed = 0;  // after the first fill, the drive's own as its top
    qint64 soundUs = 0;
};

inline ModelPlay playInModel(DiscSource &source, ImageDrive &drive, qint64 first, qint64 end, bool paced)
{
    constexpr double kSectorUs = 1e6 / 75;
    const int capacity = DiscDrive::kReadAheadSectors;
    ReadPace pace(capacity);
    std::vector<char> sector(kSectorBytes);
    ModelPlay play;
    qint64 now = 0;
    qint64 soundStart = -1;
    bool filling = true;
    bool filledOnce = false;
    for (qint64 read = first; read < end;) {
        const qint64 consumed = soundStart < 0 ? 0
            : std::min<qint64>(read - first, qint64(double(now - soundStart) / kSectorUs) + 1);
        const int level = int(read - first - consumed);
        pace.sawLevel(level);
        filling = level < capacity && (filling || level < pace.refillBelow());
        if (!filling) {
            filledOnce = true;
            now = soundStart + qint64(std::ceil(double(consumed) * kSectorUs));
            continue;
        }
        const int speed = paced ? pace.speed() : ReadPace::kDriveDefault;
        if (filledOnce)
            play.highestSteadySpeed = std::max(play.highestSteadySpeed, speed > 0 ? speed : drive.model().topSpeed);
        if (paced)
            source.setReadSpeed(speed);
        drive.setModelTime(now);
        source.readSector(read, sector.data());
        now = drive.modelTime();
        if (soundStart < 0)
            soundStart = now;
        play.underrun |= now > soundStart + qint64(double(read - first) * kSectorUs);
        ++read;
        pace.sawLevel(level + 1);
    }
    play.soundUs = qint64(double(end - first) * kSectorUs);
    drive.setModelTime(soundStart + play.soundUs);
    return play;
}
