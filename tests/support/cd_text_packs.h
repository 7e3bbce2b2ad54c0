// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// CD-Text packs as a disc's lead-in holds them (and a cue sheet's
// CDTEXTFILE keeps them): 18 bytes each, type, track, sequence, character
// position, 12 bytes of text, and a CRC-16 (CCITT) inverted; three size
// packs (0x8F) end the block. Latin-1 text, tracks 1 to lastTrack.
#include <QByteArray>
#include <QList>
#include <QPair>

inline QByteArray packOf(quint8 type, int track, int sequence, int position, const QByteArray &text)
{
    QByteArray pack = QByteArray(1, char(type)) + char(track) + char(sequence) + char(position)
        + text.leftJustified(12, '\0');
    quint16 crc = 0;
    for (char byte : pack)
        for (int bit = 7; bit >= 0; --bit)
            crc = quint16((crc << 1) ^ ((((crc >> 15) ^ (quint8(byte) >> bit)) & 1) ? 0x1021 : 0));
    return pack + char(quint8(~crc >> 8)) + char(quint8(~crc));
}

inline QByteArray cdTextPacks(const QList<QPair<int, QByteArray>> &titles,
                              const QList<QPair<int, QByteArray>> &performers, int lastTrack)
{
    QByteArray packs;
    int sequence = 0;
    const auto add = [&](quint8 type, const QList<QPair<int, QByteArray>> &items) {
        QByteArray text;
        for (const auto &[track, words] : items)
            text += words + '\0';
        int track = items.value(0).first;
        for (int at = 0, used = 0; at < text.size(); at += 12) {
            packs += packOf(type, track, sequence++, qMin(used, 15), text.mid(at, 12));
            // The next pack starts within whichever item this one ends in.
            for (int end = at + 12, start = 0, i = 0; i < items.size(); start += items[i].second.size() + 1, ++i)
                if (end >= start && end < start + items[i].second.size() + 1) {
                    track = items[i].first, used = end - start;
                    break;
                }
        }
    };
    add(0x80, titles);
    const int titlePacks = sequence;
    add(0x81, performers);
    QByteArray sizes(36, '\0');
    sizes[1] = 1;
    sizes[2] = char(lastTrack);
    sizes[4] = char(titlePacks);
    sizes[5] = char(sequence - titlePacks);
    sizes[4 + 15] = 3;
    sizes[20] = char(sequence + 2);
    sizes[28] = 0x09;  // English
    for (int part = 0; part < 3; ++part)
        packs += packOf(0x8f, part, sequence++, 0, sizes.mid(part * 12, 12));
    return packs;
}
