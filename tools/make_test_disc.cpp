// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a test disc image (.cue + .bin, optionally .toc) from the command line.

#include "test_disc.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char kUsage[] =
    "usage: make_test_disc OUT_BASE [--tracks S1,S2,...] [--signal coded|tones]\n"
    "                      [--data first|last] [--pregap SECTORS] [--toc]\n"
    "                      [--bin-name NAME] [--sparse]\n"
    "  Si are track lengths in seconds; --data adds a 20 s data track;\n"
    "  --pregap applies to every track after the first.\n";

int usageError(const std::string &message)
{
    std::fprintf(stderr, "make_test_disc: %s\n%s", message.c_str(), kUsage);
    return 2;
}

bool parseNumber(const std::string &text, double &value)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end && *end == '\0';
}

bool parseTracks(const std::string &list, std::vector<TestTrack> &tracks)
{
    size_t pos = 0;
    while (pos <= list.size()) {
        const size_t comma = std::min(list.find(',', pos), list.size());
        double seconds;
        if (!parseNumber(list.substr(pos, comma - pos), seconds) || seconds <= 0)
            return false;
        tracks.push_back(TestTrack{sectorsOfSeconds(seconds)});
        pos = comma + 1;
    }
    return !tracks.empty();
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || argv[1][0] == '-')
        return usageError(argc < 2 ? "no output given" : "the output comes first");

    const std::string base = argv[1];
    TestDiscLayout disc;
    std::string data;
    long pregap = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string &out) {
            if (i + 1 >= argc)
                return false;
            out = argv[++i];
            return true;
        };
        std::string v;
        if (arg == "--tracks") {
            if (!value(v) || !parseTracks(v, disc.tracks))
                return usageError("--tracks wants positive seconds separated by commas");
        } else if (arg == "--signal") {
            if (!value(v) || (v != "coded" && v != "tones"))
                return usageError("--signal wants coded or tones");
            disc.signal = v == "tones" ? TestSignal::Tones : TestSignal::Coded;
        } else if (arg == "--data") {
            if (!value(data) || (data != "first" && data != "last"))
                return usageError("--data wants first or last");
        } else if (arg == "--pregap") {
            double sectors;
            if (!value(v) || !parseNumber(v, sectors) || sectors < 0 || sectors > 450000
                || sectors != long(sectors))
                return usageError("--pregap wants a whole number of sectors");
            pregap = long(sectors);
        } else if (arg == "--toc") {
            disc.writeToc = true;
        } else if (arg == "--bin-name") {
            if (!value(disc.binName) || disc.binName.empty())
                return usageError("--bin-name wants a file name");
        } else if (arg == "--sparse") {
            disc.sparse = true;
        } else {
            return usageError("unknown option " + arg);
        }
    }

    if (disc.tracks.empty())
        disc.tracks = tracksOfSeconds({20, 20, 20}).tracks;
    const TestTrack dataTrack{sectorsOfSeconds(20), true};
    if (data == "first")
        disc.tracks.insert(disc.tracks.begin(), dataTrack);
    else if (data == "last")
        disc.tracks.push_back(dataTrack);
    for (size_t i = 1; i < disc.tracks.size(); ++i)
        disc.tracks[i].pregapSectors = static_cast<int>(pregap);

    TestDiscFiles files;
    std::string error;
    if (!writeTestDisc(base, disc, &files, &error)) {
        std::fprintf(stderr, "make_test_disc: %s\n", error.c_str());
        return 1;
    }

    int64_t sectors = 0;
    for (const TestTrack &t : disc.tracks)
        sectors += t.pregapSectors + t.sectors;
    std::printf("%s: %zu tracks, %lld sectors (%d:%02d), %s signal%s\n", files.cue.c_str(),
                disc.tracks.size(), static_cast<long long>(sectors),
                int(sectors / (60 * kTestSectorsPerSecond)),
                int(sectors / kTestSectorsPerSecond % 60),
                disc.signal == TestSignal::Tones ? "tones" : "coded",
                disc.sparse ? ", sparse" : "");
    std::printf("%s\n", files.bin.c_str());
    if (!files.toc.empty())
        std::printf("%s\n", files.toc.c_str());
    return 0;
}
