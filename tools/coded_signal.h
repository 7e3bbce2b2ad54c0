// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The coded test signal: every stereo frame carries its own address, so a
// test that captures what the player rendered can tell exactly which sector
// and which frame of it came out, and therefore whether anything was skipped,
// repeated, reordered or taken from the wrong place.
//
//   left  = lsn & 0xFFFF
//   right = 0x8000 | ((lsn >> 16) << 10) | frameInSector
//
// The top bit of the right channel is always set, so a coded frame can never
// be mistaken for digital silence (which is what gaps, holes and underruns
// produce). Five bits of LSN high part cover lsn < 2^21, far beyond the
// length of any CD.

#include <cstdint>

constexpr int kCodedFramesPerSector = 588;  // 2352 bytes / 4 bytes per frame
constexpr uint32_t kCodedMaxLsn = (1u << 21) - 1;

inline void encodeCodedFrame(uint32_t lsn, int frame, int16_t &left, int16_t &right)
{
    const uint16_t l = static_cast<uint16_t>(lsn & 0xFFFFu);
    const uint16_t r = static_cast<uint16_t>(0x8000u | (((lsn >> 16) & 0x1Fu) << 10)
                                             | (static_cast<uint32_t>(frame) & 0x3FFu));
    left = static_cast<int16_t>(l);
    right = static_cast<int16_t>(r);
}

inline bool decodeCodedFrame(int16_t left, int16_t right, uint32_t &lsn, int &frame)
{
    const uint16_t l = static_cast<uint16_t>(left);
    const uint16_t r = static_cast<uint16_t>(right);
    if (!(r & 0x8000u))
        return false;
    const int f = static_cast<int>(r & 0x3FFu);
    if (f >= kCodedFramesPerSector)
        return false;
    lsn = (static_cast<uint32_t>((r >> 10) & 0x1Fu) << 16) | l;
    frame = f;
    return true;
}

inline int64_t codedFrameIndex(uint32_t lsn, int frame)
{
    return static_cast<int64_t>(lsn) * kCodedFramesPerSector + frame;
}

// Fills one 2352-byte raw audio sector with the coded signal (little-endian,
// as on the disc), whatever the host byte order.
inline void fillCodedSector(uint32_t lsn, uint8_t *sector)
{
    for (int f = 0; f < kCodedFramesPerSector; ++f) {
        int16_t l, r;
        encodeCodedFrame(lsn, f, l, r);
        const uint16_t ul = static_cast<uint16_t>(l), ur = static_cast<uint16_t>(r);
        uint8_t *p = sector + f * 4;
        p[0] = static_cast<uint8_t>(ul & 0xFF);
        p[1] = static_cast<uint8_t>(ul >> 8);
        p[2] = static_cast<uint8_t>(ur & 0xFF);
        p[3] = static_cast<uint8_t>(ur >> 8);
    }
}
