// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Coded discs of many shapes, made once, and the one image path the player
// under test is given: a shape is put in, taken away or spoilt there the
// way a user's files change under a running player (atomic renames of hard
// links, so every insertion is a new file and nothing is copied).
#include "capture_runs.h"
#include "disc_rig.h"

#include <QFile>

#include <cstdio>
#include <unistd.h>

// Where a track's sound lies, in coded frames counted from the bin's start.
struct TrackSpan {
    int number;
    bool audio;
    int64_t start, end;
};

struct DiscShape {
    QString name;
    QString folder;  // holds disc.cue and disc.bin
    std::vector<TrackSpan> tracks;

    int trackCount() const { return int(tracks.size()); }
    const TrackSpan *audioSpanOf(int64_t frame) const
    {
        for (const TrackSpan &t : tracks)
            if (frame >= t.start && frame < t.end)
                return t.audio ? &t : nullptr;
        return nullptr;
    }
};

// An audio track runs on through the pregap of the track after it; a data
// track's pregap belongs to no audio track.
inline std::vector<TrackSpan> spansOf(const TestDiscLayout &layout)
{
    std::vector<TrackSpan> spans;
    int64_t at = 0;
    for (const TestTrack &t : layout.tracks) {
        if (!spans.empty() && !t.data)
            spans.back().end = sectorStart(at + t.pregapSectors);
        at += t.pregapSectors;
        spans.push_back({int(spans.size()) + 1, !t.data, sectorStart(at), sectorStart(at + t.sectors)});
        at += t.sectors;
    }
    return spans;
}

class DiscShelf {
public:
    DiscShelf()
    {
        auto seconds = [](std::initializer_list<double> s) { return tracksOfSeconds(s).tracks; };
        add("three tracks", seconds({3, 2, 4}));
        add("one track", seconds({5}));
        add("twelve short tracks", seconds({1, 2, 1, 1.5, 2, 1, 1, 2, 1, 1.5, 1, 2}));
        add("data track last", {{150}, {225}, {150, true}});
        add("data track first", {{150, true}, {225}, {225}});
        add("pregaps", {{150}, {150, false, 75}, {225, false, 150}});
        add("99 tracks", std::vector<TestTrack>(99, TestTrack{40}));
        TestDiscLayout sparse = tracksOfSeconds({300, 240, 200});
        sparse.sparse = true;
        add("long sparse disc", sparse.tracks, true);
        TestDiscLayout cut = tracksOfSeconds({3, 3, 3});
        cut.truncateBinBytes = (225 + 112) * kTestSectorBytes;
        add("bin cut short", cut.tracks, false, cut.truncateBinBytes);
        m_device = scratchDir() + QStringLiteral("/in-the-drive");
        QDir().mkpath(m_device);
    }

    int count() const { return int(m_shapes.size()); }
    const DiscShape &shape(int i) const { return m_shapes[size_t(i)]; }
    QString devicePath() const { return m_device + QStringLiteral("/disc.cue"); }

    void insert(int i)
    {
        place(shape(i).folder + QStringLiteral("/disc.bin"), QStringLiteral("disc.bin"));
        place(shape(i).folder + QStringLiteral("/disc.cue"), QStringLiteral("disc.cue"));
    }
    void remove()
    {
        QFile::remove(devicePath());
        QFile::remove(m_device + QStringLiteral("/disc.bin"));
    }
    // A sheet that is no cue sheet, or one naming a data file that is not there.
    void spoil(bool garbage)
    {
        writeSheet(garbage ? QByteArray("\x01\x02 not a cue sheet at all\n")
                           : QByteArray("FILE \"gone.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"));
    }

private:
    void add(const QString &name, std::vector<TestTrack> tracks, bool sparse = false, int64_t cutBytes = -1)
    {
        TestDiscLayout layout;
        layout.tracks = std::move(tracks);
        layout.sparse = sparse;
        layout.truncateBinBytes = cutBytes;
        layout.binName = "disc.bin";
        const QString folder = QStringLiteral("shape%1").arg(m_shapes.size());
        writeDisc(folder + QStringLiteral("/disc"), layout);
        std::vector<TrackSpan> spans = spansOf(layout);
        // Nothing past the end of a cut bin can be heard, and a track that
        // starts there has no sound at all.
        for (TrackSpan &t : spans) {
            if (cutBytes >= 0 && t.end * 4 > cutBytes)
                t.end = std::max(t.start, cutBytes / 4);
            t.audio = t.audio && t.end > t.start;
        }
        m_shapes.push_back({name, scratchDir() + QLatin1Char('/') + folder, std::move(spans)});
    }
    void place(const QString &from, const QString &name)
    {
        const QByteArray temp = QFile::encodeName(m_device + QStringLiteral("/.incoming"));
        ::unlink(temp.constData());
        if (::link(QFile::encodeName(from).constData(), temp.constData()) != 0
            || std::rename(temp.constData(), QFile::encodeName(m_device + QLatin1Char('/') + name).constData()) != 0)
            qFatal("cannot put %s in the drive", qPrintable(from));
    }
    void writeSheet(const QByteArray &text)
    {
        const QString temp = m_device + QStringLiteral("/.sheet");
        QFile file(temp);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            qFatal("cannot write %s", qPrintable(temp));
        file.close();
        std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(devicePath()).constData());
    }

    std::vector<DiscShape> m_shapes;
    QString m_device;
};
