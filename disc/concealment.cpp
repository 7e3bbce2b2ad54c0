// SPDX-License-Identifier: GPL-3.0-or-later
#include "concealment.h"

#include "cd_audio_format.h"

#include <QtEndian>

void interpolateFrames(const char *before, const char *after, char *out, qint64 frames)
{
    for (int channel = 0; channel < 2; ++channel) {
        const qint64 from = qFromLittleEndian<qint16>(before + channel * 2);
        const qint64 to = qFromLittleEndian<qint16>(after + channel * 2);
        for (qint64 i = 0; i < frames; ++i) {
            const qint64 value = from + (to - from) * (i + 1) / (frames + 1);
            qToLittleEndian<qint16>(qint16(value), out + i * kBytesPerFrame + channel * 2);
        }
    }
}
