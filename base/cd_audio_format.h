// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// 44 100 Hz, 16-bit little-endian stereo: the format of CD audio sectors,
// which the disc readers deliver and the sound outputs play unchanged.
constexpr int kSampleRate = 44100;
constexpr int kBytesPerFrame = 4;
constexpr int kFramesPerSector = 588;
constexpr int kSectorBytes = kFramesPerSector * kBytesPerFrame;  // 2352
constexpr int kSectorsPerSecond = 75;
