// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "disc_text.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// A disc image described by a cue sheet or a cdrdao toc file, as the sheet
// readers lay it out: where each track lies on the disc and which bytes of
// which data files make up its sectors. Positions are LSNs from 0.

// A run of bytes of a track: from a data file, or zeros when file is empty.
// Audio in big-endian byte order (cdrdao's raw files) is swapped on reading.
struct SheetPiece {
    QString file;
    qint64 offset = 0;
    qint64 bytes = 0;
    bool bigEndian = false;
};

struct SheetTrack {
    int number = 0;
    bool audio = true;
    qint64 regionStart = 0;    // the first sector of its pregap (INDEX 00), or INDEX 01
    qint64 pregapSectors = 0;  // from regionStart to INDEX 01
    qint64 sectors = 0;        // from regionStart to the next track's regionStart
    int blockBytes = 2352;   // bytes a sector takes in the pieces
    std::vector<SheetPiece> pieces;  // the region's bytes in order; short: zeros follow

    qint64 index1() const { return regionStart + pregapSectors; }
    qint64 regionEnd() const { return regionStart + sectors; }
    qint64 pieceBytes() const;
    void addPiece(const QString &file, qint64 offset, qint64 bytes, bool bigEndian = false);
};

struct SheetImage {
    std::vector<SheetTrack> tracks;
    QStringList dataFiles;  // resolved paths, each once
    DiscText text;          // a cue sheet's TITLE and PERFORMER lines, then its CDTEXTFILE
    QString textProblem;    // why the CDTEXTFILE could not be read
};

// What a sheet reader needs to know about a data file it names. A name is
// resolved against the sheet's folder; problem is set when it cannot be used.
struct DataFileFacts {
    QString path;
    qint64 size = 0;
    // For a RIFF WAVE file of 16-bit stereo 44.1 kHz PCM: where its samples lie.
    bool riff = false;  // a RIFF WAVE file of any kind
    bool wave = false;
    qint64 waveDataOffset = 0;
    qint64 waveDataBytes = 0;
    QString problem;
};
using DataFileLookup = std::function<DataFileFacts(const QString &name)>;

// A track mode as a sheet names it, and the bytes its sectors take.
struct SheetTrackMode {
    const char *name;
    bool audio;
    int blockBytes;
};

template <size_t N>
const SheetTrackMode *findTrackMode(const SheetTrackMode (&modes)[N], const QString &name)
{
    for (const SheetTrackMode &m : modes)
        if (name == QLatin1String(m.name))
            return &m;
    return nullptr;
}

// A sheet read into an image, or the reason it was refused (image empty).
struct SheetResult {
    SheetImage image;
    QString refusal;

    bool ok() const { return refusal.isEmpty(); }
};

// Sheets are small text files; anything larger is not one.
constexpr qint64 kMaxSheetBytes = 1 << 20;

// Sheet text as a list of lines: a UTF-8 byte-order mark dropped, CR LF or
// CR taken as line ends. Bytes that are not UTF-8 are kept as file_names.h
// keeps them, so that a FILE name names the file with exactly its bytes.
QStringList sheetLines(const QByteArray &text);

// Words of a sheet that a person reads (titles, performers): where they
// hold bytes that are not UTF-8 they are read as Latin-1, as sheets
// written on Windows have them.
QString sheetText(const QString &words);

// "MM:SS:FF" as sectors; -1 when it is not a time with seconds under 60
// and frames under 75.
qint64 parseMsf(const QString &text);
QString formatMsf(qint64 sectors);

// Lays the tracks end to end from LSN 0, each as long as its pieces
// (a partial last sector filled with zeros), and lists their data files.
SheetImage placedImage(std::vector<SheetTrack> tracks);

// The result of reading a sheet: refused with problem when there is one,
// or when it names no track.
SheetResult sheetResult(const QString &problem, std::vector<SheetTrack> tracks, const QString &kind);

// "line N: what" for a refusal.
QString lineProblem(int line, const QString &what);
