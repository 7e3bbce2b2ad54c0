// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <map>

// The titles and performers a disc carries as CD-Text (a drive's disc, or a
// cue sheet's TITLE and PERFORMER lines). Empty texts where it has none.
struct DiscText {
    struct Entry {
        QString title;
        QString performer;
        bool operator==(const Entry &o) const { return title == o.title && performer == o.performer; }
    };

    Entry album;
    std::map<int, Entry> tracks;  // by track number

    bool isEmpty() const { return album.title.isEmpty() && album.performer.isEmpty() && tracks.empty(); }
    Entry track(int number) const
    {
        const auto it = tracks.find(number);
        return it == tracks.end() ? Entry{} : it->second;
    }
};

// The text of the source trusted first, each title or performer it lacks
// taken from the other.
DiscText filledFrom(const DiscText &trusted, const DiscText &other);
