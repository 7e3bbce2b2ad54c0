// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "coded_signal.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstring>
#include <vector>

// What a capture of the coded signal holds, as runs: stretches of frames
// that follow each other on the disc without a gap or a repeat, and
// stretches of silence.
struct CapturedRun {
    bool silence = false;
    int64_t first = 0;  // coded frame index (sector * 588 + frame); 0 for silence
    int64_t count = 0;
    int64_t last() const { return first + count - 1; }
};

inline std::vector<CapturedRun> capturedRuns(const QByteArray &pcm)
{
    std::vector<CapturedRun> runs;
    const int64_t frames = pcm.size() / 4;
    for (int64_t i = 0; i < frames; ++i) {
        int16_t left, right;
        std::memcpy(&left, pcm.constData() + i * 4, 2);
        std::memcpy(&right, pcm.constData() + i * 4 + 2, 2);
        uint32_t lsn = 0;
        int frame = 0;
        const bool coded = decodeCodedFrame(left, right, lsn, frame);
        const int64_t index = coded ? codedFrameIndex(lsn, frame) : 0;
        if (!runs.empty()) {
            CapturedRun &run = runs.back();
            if (!coded && run.silence && left == 0 && right == 0) {
                ++run.count;
                continue;
            }
            if (coded && !run.silence && index == run.first + run.count) {
                ++run.count;
                continue;
            }
        }
        CapturedRun run;
        run.silence = !coded;
        run.first = index;
        run.count = 1;
        runs.push_back(run);
    }
    return runs;
}

inline QString describeRuns(const std::vector<CapturedRun> &runs)
{
    QStringList parts;
    for (const CapturedRun &r : runs)
        parts << (r.silence ? QStringLiteral("silence x%1").arg(r.count)
                            : QStringLiteral("[%1..%2]").arg(r.first).arg(r.last()));
    return parts.join(QLatin1Char(' '));
}

constexpr int64_t kFrames = kCodedFramesPerSector;
inline int64_t sectorStart(int64_t lsn) { return lsn * kFrames; }
