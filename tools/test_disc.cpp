// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_disc.h"

#include "coded_signal.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kFramesPerSector = kCodedFramesPerSector;
constexpr double kSampleRate = 44100.0;
constexpr int64_t kSparseEdgeSectors = 2 * kTestSectorsPerSecond;
constexpr int kMsfOffset = 150;  // LBA of LSN 0, for the MODE1 sector header
constexpr char kDataMarker[] = "VELOR TEST DATA";

struct PlacedTrack {
    int number;
    bool data;
    int64_t pregapStart;  // INDEX 00, equal to start when there is no pregap
    int64_t start;        // INDEX 01
    int64_t end;          // one past the last sector
};

std::vector<PlacedTrack> placeTracks(const TestDiscLayout &disc)
{
    std::vector<PlacedTrack> placed;
    int64_t pos = 0;
    int number = 1;
    for (const TestTrack &t : disc.tracks) {
        PlacedTrack p;
        p.number = number++;
        p.data = t.data;
        p.pregapStart = pos;
        p.start = pos + std::max(0, t.pregapSectors);
        p.end = p.start + t.sectors;
        placed.push_back(p);
        pos = p.end;
    }
    return placed;
}

std::string msf(int64_t sectors)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld",
                  static_cast<long long>(sectors / (60 * kTestSectorsPerSecond)),
                  static_cast<long long>((sectors / kTestSectorsPerSecond) % 60),
                  static_cast<long long>(sectors % kTestSectorsPerSecond));
    return buf;
}

uint8_t bcd(int v) { return static_cast<uint8_t>(((v / 10) << 4) | (v % 10)); }

void fillDataSector(int64_t lsn, uint8_t *s)
{
    std::memset(s, 0, kTestSectorBytes);
    std::memset(s + 1, 0xFF, 10);
    const int64_t a = lsn + kMsfOffset;
    s[12] = bcd(static_cast<int>(a / (60 * kTestSectorsPerSecond)));
    s[13] = bcd(static_cast<int>((a / kTestSectorsPerSecond) % 60));
    s[14] = bcd(static_cast<int>(a % kTestSectorsPerSecond));
    s[15] = 1;
    // Plain ASCII keeps the top bit of every right-channel sample clear, so
    // no frame of a data sector can ever decode as a coded frame.
    char line[33];
    std::snprintf(line, sizeof line, "%s SECTOR %07lld\n", kDataMarker,
                  static_cast<long long>(lsn % 10000000));
    for (int off = 0; off < 2048; off += 32)
        std::memcpy(s + 16 + off, line, 32);
}

// One voice per track: a pentatonic figure over a soft drone, each track on
// its own root, tempo and melody so that tracks are easy to tell apart by ear.
class ToneVoice {
public:
    explicit ToneVoice(int trackIndex)
    {
        static const int rootOffsets[] = {0, 5, -3, 3, -5, 2, 7, -2, 4, -4};
        static const int pentatonic[] = {0, 2, 4, 7, 9};
        static const int moves[] = {-2, -1, 1, 2, 1, -1, 3, -3};
        m_root = 220.0 * std::pow(2.0, rootOffsets[trackIndex % 10] / 12.0);
        m_step = 0.24 + 0.05 * ((trackIndex * 3) % 5);
        uint32_t state = 0x9E3779B9u * static_cast<uint32_t>(trackIndex + 1);
        int degree = 2 + trackIndex % 3;
        for (Note &note : m_notes) {
            state = state * 1664525u + 1013904223u;
            degree += moves[(state >> 24) & 7];
            if (degree < 0)
                degree = -degree;
            if (degree > 9)
                degree = 18 - degree;
            const int semitone = pentatonic[degree % 5] + 12 * (degree / 5);
            note.omega = 2 * M_PI * m_root * std::pow(2.0, semitone / 12.0);
            // Constant-power pan by pitch: low notes lean left, high ones right.
            const double pan = ((degree % 5) - 2) * 0.2 + (degree >= 5 ? 0.1 : -0.1);
            note.left = std::cos((pan + 1) * M_PI / 4);
            note.right = std::sin((pan + 1) * M_PI / 4);
        }
        // The figure repeats exactly, so one period once all notes ring
        // shows its true peak; scale it to fill what the drone leaves of
        // -12 dBFS.
        m_noteGain = 1.0;
        double peak = 0;
        const int64_t from = static_cast<int64_t>(kNoteLength * kSampleRate);
        const int64_t to = from + static_cast<int64_t>(kPatternLength * m_step * kSampleRate);
        for (int64_t n = from; n < to; ++n) {
            double l = 0, r = 0;
            addNotes(n / kSampleRate, l, r);
            peak = std::max({peak, std::abs(l), std::abs(r)});
        }
        m_noteGain = (kPeak - kDroneGain) / peak;
    }

    void render(int64_t frame, int64_t trackFrames, double &left, double &right) const
    {
        const double t = static_cast<double>(frame) / kSampleRate;
        const double swell = 0.75 + 0.25 * std::sin(2 * M_PI * 0.1 * t);
        const double drone = kDroneGain * swell * 0.5
            * (std::sin(M_PI * m_root * t) + std::sin(1.5 * M_PI * m_root * t));
        double l = drone, r = drone;
        addNotes(t, l, r);
        const double fade = std::min(0.5 * kSampleRate, trackFrames / 2.0);
        const double gain = ramp(frame / fade) * ramp((trackFrames - 1 - frame) / fade);
        left = l * gain;
        right = r * gain;
    }

private:
    static constexpr int kPatternLength = 8;
    static constexpr double kPeak = 0.25;  // -12 dBFS
    static constexpr double kDroneGain = 0.025;
    static constexpr double kDecay = 0.45;
    static constexpr double kNoteLength = 2.0;
    static constexpr double kAttack = 0.015;
    static constexpr double kRelease = 0.3;

    struct Note {
        double omega, left, right;
    };

    static double ramp(double x)
    {
        if (x >= 1)
            return 1;
        if (x <= 0)
            return 0;
        const double s = std::sin(M_PI / 2 * x);
        return s * s;
    }

    void addNotes(double t, double &l, double &r) const
    {
        const int64_t current = static_cast<int64_t>(t / m_step);
        const int64_t ringing = static_cast<int64_t>(kNoteLength / m_step) + 1;
        for (int64_t j = std::max<int64_t>(0, current - ringing); j <= current; ++j) {
            const double tn = t - static_cast<double>(j) * m_step;
            if (tn < 0 || tn >= kNoteLength)
                continue;
            const Note &note = m_notes[j % kPatternLength];
            const double envelope = ramp(tn / kAttack) * std::exp(-tn / kDecay)
                * ramp((kNoteLength - tn) / kRelease);
            const double s = std::sin(note.omega * tn);
            const double c = std::cos(note.omega * tn);
            // A touch of the octave at the strike, fading faster than the note.
            const double v = m_noteGain * envelope * (s + 0.6 * std::exp(-tn / 0.15) * s * c);
            l += v * note.left;
            r += v * note.right;
        }
    }

    double m_root;
    double m_step;
    double m_noteGain;
    Note m_notes[kPatternLength];
};

void putSample(uint8_t *p, double v)
{
    const long s = std::lround(std::clamp(v, -1.0, 1.0) * 32767.0);
    const uint16_t u = static_cast<uint16_t>(static_cast<int16_t>(s));
    p[0] = static_cast<uint8_t>(u & 0xFF);
    p[1] = static_cast<uint8_t>(u >> 8);
}

class SectorWriter {
public:
    SectorWriter(const TestDiscLayout &disc, const std::vector<PlacedTrack> &placed)
        : m_disc(disc), m_placed(placed)
    {
        if (disc.signal == TestSignal::Tones) {
            for (size_t i = 0; i < placed.size(); ++i)
                m_voices.emplace_back(static_cast<int>(i));
        }
    }

    // Writes sectors [first, first + count) of track `index` to the bin.
    bool write(int fd, size_t index, int64_t first, int64_t count, std::string *error)
    {
        constexpr int64_t batch = kTestSectorsPerSecond;
        std::vector<uint8_t> buf(batch * kTestSectorBytes);
        while (count > 0) {
            const int64_t n = std::min(batch, count);
            for (int64_t i = 0; i < n; ++i)
                fill(index, first + i, buf.data() + i * kTestSectorBytes);
            const size_t bytes = static_cast<size_t>(n * kTestSectorBytes);
            const off_t offset = static_cast<off_t>(first * kTestSectorBytes);
            size_t done = 0;
            while (done < bytes) {
                const ssize_t w = ::pwrite(fd, buf.data() + done, bytes - done,
                                           offset + static_cast<off_t>(done));
                if (w < 0 && errno == EINTR)
                    continue;
                if (w <= 0) {
                    *error = std::string("cannot write the bin: ") + std::strerror(errno);
                    return false;
                }
                done += static_cast<size_t>(w);
            }
            first += n;
            count -= n;
        }
        return true;
    }

private:
    void fill(size_t index, int64_t lsn, uint8_t *sector) const
    {
        const PlacedTrack &t = m_placed[index];
        if (t.data) {
            fillDataSector(lsn, sector);
        } else if (m_disc.signal == TestSignal::Coded) {
            fillCodedSector(static_cast<uint32_t>(lsn), sector);
        } else if (lsn < t.start) {
            std::memset(sector, 0, kTestSectorBytes);  // a quiet gap between songs
        } else {
            const int64_t trackFrames = (t.end - t.start) * kFramesPerSector;
            const int64_t base = (lsn - t.start) * kFramesPerSector;
            for (int f = 0; f < kFramesPerSector; ++f) {
                double l, r;
                m_voices[index].render(base + f, trackFrames, l, r);
                putSample(sector + f * 4, l);
                putSample(sector + f * 4 + 2, r);
            }
        }
    }

    const TestDiscLayout &m_disc;
    const std::vector<PlacedTrack> &m_placed;
    std::vector<ToneVoice> m_voices;
};

bool fail(std::string *error, const std::string &message)
{
    if (error)
        *error = message;
    return false;
}

std::string cueText(const std::vector<PlacedTrack> &placed, const std::string &binName)
{
    std::ostringstream out;
    out << "FILE \"" << binName << "\" BINARY\n";
    for (const PlacedTrack &t : placed) {
        char num[8];
        std::snprintf(num, sizeof num, "%02d", t.number);
        out << "  TRACK " << num << (t.data ? " MODE1/2352" : " AUDIO") << "\n";
        if (t.pregapStart < t.start)
            out << "    INDEX 00 " << msf(t.pregapStart) << "\n";
        out << "    INDEX 01 " << msf(t.start) << "\n";
    }
    return out.str();
}

// One bin holds every track, so each track names its part of it: audio by
// its start and length, data by its byte offset and length, as cdrdao's
// read-cd writes them. cdrdao takes raw audio as big-endian; SWAP says that
// this bin's is little-endian, as a cue sheet's is.
std::string tocText(const std::vector<PlacedTrack> &placed, const std::string &binName)
{
    const bool anyData = std::any_of(placed.begin(), placed.end(),
                                     [](const PlacedTrack &t) { return t.data; });
    std::ostringstream out;
    out << (anyData ? "CD_ROM" : "CD_DA") << "\n";
    for (const PlacedTrack &t : placed) {
        out << "\n// Track " << t.number << "\n";
        if (t.data)
            out << "TRACK MODE1_RAW\nDATAFILE \"" << binName << "\" #"
                << t.pregapStart * kTestSectorBytes << " ";
        else
            out << "TRACK AUDIO\nFILE \"" << binName << "\" SWAP " << msf(t.pregapStart) << " ";
        out << msf(t.end - t.pregapStart) << "\n";
        if (t.pregapStart < t.start)
            out << "START " << msf(t.start - t.pregapStart) << "\n";
    }
    return out.str();
}

bool writeText(const std::string &path, const std::string &text, std::string *error)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out)
        return fail(error, "cannot write " + path);
    return true;
}

}  // namespace

int64_t sectorsOfSeconds(double seconds)
{
    return std::llround(seconds * kTestSectorsPerSecond);
}

TestDiscLayout tracksOfSeconds(std::initializer_list<double> seconds, TestSignal signal)
{
    TestDiscLayout disc;
    disc.signal = signal;
    for (double s : seconds)
        disc.tracks.push_back(TestTrack{sectorsOfSeconds(s)});
    return disc;
}

bool isTestDataSector(const uint8_t *s)
{
    static const uint8_t sync[12] = {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0};
    return std::memcmp(s, sync, sizeof sync) == 0 && s[15] == 1
        && std::memcmp(s + 16, kDataMarker, sizeof kDataMarker - 1) == 0;
}

bool writeTestDisc(const std::string &basePath, const TestDiscLayout &disc, TestDiscFiles *files,
                   std::string *error)
{
    namespace fs = std::filesystem;
    if (disc.tracks.empty())
        return fail(error, "a disc needs at least one track");
    if (disc.tracks.size() > 99)
        return fail(error, "a disc holds at most 99 tracks");
    for (const TestTrack &t : disc.tracks) {
        if (t.sectors <= 0 || t.pregapSectors < 0)
            return fail(error, "track lengths must be positive and pregaps not negative");
    }
    const std::vector<PlacedTrack> placed = placeTracks(disc);
    const int64_t totalSectors = placed.back().end;
    if (totalSectors > static_cast<int64_t>(kCodedMaxLsn) + 1)
        return fail(error, "disc too long for the coded signal");

    const fs::path base(basePath);
    const std::string binName = disc.binName.empty() ? base.filename().string() + ".bin"
                                                     : disc.binName;
    TestDiscFiles out;
    out.cue = basePath + ".cue";
    out.bin = (base.parent_path() / binName).string();
    if (disc.writeToc)
        out.toc = basePath + ".toc";

    std::error_code ec;
    if (!base.parent_path().empty())
        fs::create_directories(base.parent_path(), ec);
    if (ec)
        return fail(error, "cannot create " + base.parent_path().string() + ": " + ec.message());

    const int fd = ::open(out.bin.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return fail(error, "cannot create " + out.bin + ": " + std::strerror(errno));
    // Sizing the file first leaves whatever sparse mode skips as holes,
    // which read back as digital silence.
    bool ok = ::ftruncate(fd, static_cast<off_t>(totalSectors * kTestSectorBytes)) == 0;
    std::string writeError = ok ? "" : std::string("cannot size the bin: ") + std::strerror(errno);
    SectorWriter writer(disc, placed);
    for (size_t i = 0; ok && i < placed.size(); ++i) {
        const PlacedTrack &t = placed[i];
        if (!disc.sparse || t.end - t.start <= 2 * kSparseEdgeSectors) {
            ok = writer.write(fd, i, t.pregapStart, t.end - t.pregapStart, &writeError);
        } else {
            ok = writer.write(fd, i, t.pregapStart, t.start + kSparseEdgeSectors - t.pregapStart,
                              &writeError)
                && writer.write(fd, i, t.end - kSparseEdgeSectors, kSparseEdgeSectors,
                                &writeError);
        }
    }
    if (ok && disc.truncateBinBytes >= 0
        && disc.truncateBinBytes < totalSectors * kTestSectorBytes) {
        ok = ::ftruncate(fd, static_cast<off_t>(disc.truncateBinBytes)) == 0;
        if (!ok)
            writeError = std::string("cannot cut the bin short: ") + std::strerror(errno);
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        writeError = std::string("cannot write the bin: ") + std::strerror(errno);
    }
    if (!ok)
        return fail(error, writeError + " (" + out.bin + ")");

    if (!writeText(out.cue, cueText(placed, binName), error))
        return false;
    if (disc.writeToc && !writeText(out.toc, tocText(placed, binName), error))
        return false;
    if (files)
        *files = out;
    return true;
}
