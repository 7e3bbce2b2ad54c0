// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "disc_toc.h"
#include "sheet_image.h"

#include <QHash>

// Reads the sectors of a disc image laid out from a cue sheet or toc file
// straight from its data files. Not thread-safe: the disc thread owns it.
class SheetReader {
public:
    explicit SheetReader(SheetImage image);
    ~SheetReader();
    SheetReader(const SheetReader &) = delete;
    SheetReader &operator=(const SheetReader &) = delete;

    // The player's table of contents: an audio track's sound ends where
    // the next track begins, or where a data track's region begins.
    DiscToc toc() const;

    // One 2352-byte audio sector; false (and silence in out) when its data
    // file could not be read. Sectors of data tracks read as silence.
    bool readSector(qint64 lsn, char *out);

    const SheetImage &image() const { return m_image; }

private:
    bool readPieces(const SheetTrack &track, qint64 from, char *out);
    int fileHandle(const QString &path);

    SheetImage m_image;
    QHash<QString, int> m_handles;
};
