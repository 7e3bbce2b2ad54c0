// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// CD-Text packs as a lead-in holds them (and a CDTEXTFILE keeps them): 18
// bytes each (type, track, sequence, character position, 12 bytes of
// Latin-1 text, a CRC that libcdio does not check and is left 0), here one
// text of at most 11 bytes a pack, for tracks 0 (the disc) on; three size
// packs end the block.
#include <QByteArray>
#include <QByteArrayList>

inline QByteArray cdTextPack(int type, int track, int sequence, const QByteArray &text)
{
    return QByteArray(1, char(type)) + char(track) + char(sequence) + '\0' + text.leftJustified(14, '\0');
}

inline QByteArray cdTextPacks(const QByteArrayList &titles, const QByteArrayList &performers)
{
    QByteArray packs, sizes(36, '\0');
    int sequence = 0;
    for (int track = 0; track < titles.size(); ++track)
        packs += cdTextPack(0x80, track, sequence++, titles[track]);
    for (int track = 0; track < performers.size(); ++track)
        packs += cdTextPack(0x81, track, sequence++, performers[track]);
    sizes[1] = 1, sizes[2] = char(titles.size() - 1), sizes[4] = char(titles.size());
    sizes[5] = char(performers.size()), sizes[19] = 3, sizes[20] = char(sequence + 2), sizes[28] = 0x09;
    for (int part = 0; part < 3; ++part)
        packs += cdTextPack(0x8f, part, sequence++, sizes.mid(part * 12, 12));
    return packs;
}
