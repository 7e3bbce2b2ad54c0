// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheet_reader.h"

#include "cd_audio_format.h"
#include "image_files.h"

#include <cstring>
#include <utility>
#include <unistd.h>

namespace {
void swapSampleBytes(char *bytes, qint64 count)
{
    for (qint64 i = 0; i + 1 < count; i += 2)
        std::swap(bytes[i], bytes[i + 1]);
}
}  // namespace

// The data files are opened with the sheet, so a file replaced later (a new
// disc under the same names) is never read under the old table of contents;
// the media check notices the replacement and reads the disc anew.
SheetReader::SheetReader(SheetImage image) : m_image(std::move(image))
{
    for (const QString &path : std::as_const(m_image.dataFiles))
        fileHandle(path);
}

SheetReader::~SheetReader()
{
    for (int fd : std::as_const(m_handles))
        if (fd >= 0)
            ::close(fd);
}

DiscToc SheetReader::toc() const
{
    std::vector<TrackInfo> tracks;
    const auto &sheet = m_image.tracks;
    for (size_t i = 0; i < sheet.size(); ++i) {
        TrackInfo t;
        t.number = sheet[i].number;
        t.audio = sheet[i].audio;
        t.startLsn = sheet[i].index1();
        const bool beforeData = i + 1 < sheet.size() && !sheet[i + 1].audio;
        t.endLsn = i + 1 == sheet.size() || beforeData ? sheet[i].regionEnd() : sheet[i + 1].index1();
        tracks.push_back(t);
    }
    return DiscToc(std::move(tracks));
}

bool SheetReader::readSector(qint64 lsn, char *out)
{
    std::memset(out, 0, kSectorBytes);
    for (const SheetTrack &t : m_image.tracks) {
        if (lsn >= t.regionStart && lsn < t.regionEnd()) {
            if (readPieces(t, (lsn - t.regionStart) * t.blockBytes, out))
                return true;
            std::memset(out, 0, kSectorBytes);
            return false;
        }
    }
    return false;
}

// Gathers the sector's bytes from the pieces that hold them; bytes past
// the last piece stay zero, as cdrdao pads a track to whole sectors.
bool SheetReader::readPieces(const SheetTrack &track, qint64 from, char *out)
{
    qint64 pieceStart = 0;
    qint64 wanted = qMin(track.blockBytes, kSectorBytes);
    char *to = out;
    for (const SheetPiece &p : track.pieces) {
        const qint64 pieceEnd = pieceStart + p.bytes;
        if (from < pieceEnd && wanted > 0) {
            const qint64 n = qMin(wanted, pieceEnd - from);
            if (!p.file.isEmpty()) {
                const int fd = fileHandle(p.file);
                if (fd < 0 || ::pread(fd, to, size_t(n), off_t(p.offset + from - pieceStart)) != n)
                    return false;
                if (p.bigEndian)
                    swapSampleBytes(to, n);
            }
            to += n;
            from += n;
            wanted -= n;
        }
        pieceStart = pieceEnd;
    }
    return true;
}

int SheetReader::fileHandle(const QString &path)
{
    auto it = m_handles.find(path);
    if (it == m_handles.end())
        it = m_handles.insert(path, openRegularFile(path));
    return *it;
}
