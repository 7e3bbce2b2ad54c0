// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Disc images made to order for tests and for the bundled demo disc: a
// single .bin with a .cue (and optionally a cdrdao .toc) describing it.
// Positions in the bin are LSNs: the first sector of the bin is LSN 0.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

struct TestTrack {
    int64_t sectors;         // from INDEX 01 to the next track (or the end)
    bool data = false;       // MODE1 raw sectors instead of audio
    int pregapSectors = 0;   // INDEX 00 before INDEX 01, for tracks after the first
};

enum class TestSignal {
    Coded,  // every frame names its own sector and frame (coded_signal.h)
    Tones,  // something pleasant to listen to
};

struct TestDiscLayout {
    std::vector<TestTrack> tracks;
    TestSignal signal = TestSignal::Coded;
    // Leave track interiors as holes, writing only the first and last ~2 s
    // of every track, so that long discs cost next to nothing to make.
    bool sparse = false;
    std::string binName;  // empty: <base>.bin
    bool writeToc = false;
    // Cut the bin short after writing, for damaged-image tests.
    int64_t truncateBinBytes = -1;
};

struct TestDiscFiles {
    std::string cue, bin, toc;
};

// Writes <basePath>.cue, the bin next to it (and <basePath>.toc when asked),
// creating the directory if needed. On failure returns false with a message.
bool writeTestDisc(const std::string &basePath, const TestDiscLayout &disc, TestDiscFiles *files,
                   std::string *error);

// Audio tracks of the given lengths in seconds (75 sectors a second, rounded).
TestDiscLayout tracksOfSeconds(std::initializer_list<double> seconds,
                             TestSignal signal = TestSignal::Coded);
int64_t sectorsOfSeconds(double seconds);

// True for a sector written for a data track, so a test can tell whether one
// ever reached the audio output.
bool isTestDataSector(const uint8_t *sector2352);

// Sectors per second and bytes per raw sector, as on a CD.
constexpr int kTestSectorsPerSecond = 75;
constexpr int kTestSectorBytes = 2352;
