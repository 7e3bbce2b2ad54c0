// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// How fast a drive turns while it reads ahead of the sound, and when its
// motor may stop. A drive left to itself reads at its top speed, which is
// loud; sound needs only 1x. So the read-ahead is filled briskly after a
// start or a seek and then kept filled at the lowest speed that manages it,
// one step faster whenever it runs low, one step slower after a long calm.
// A drive nobody listens to for a minute is let rest. Pure: the disc thread
// tells it what happens and carries out what it decides.
class ReadPace {
public:
    // Speeds count in CD speed units (1x: 75 sectors a second); this one
    // leaves the choice to the drive, which as a rule means its top speed.
    static constexpr int kDriveDefault = 0;
    static constexpr int kFillSpeed = 8;
    static constexpr qint64 kRestAfterMs = 60000;
    // Refills in this many consecutive full read-aheads without running low
    // bring the speed one step down.
    static constexpr int kCalmFillsToStepDown = 30;

    explicit ReadPace(int capacity) : m_capacity(capacity) {}

    // The read-ahead was emptied for a start or a seek.
    void restart();
    // The read-ahead now holds this many sectors.
    void sawLevel(int level);
    // The speed to read at now.
    int speed() const;
    // The read-ahead, once it stops reading when full, reads again below
    // this: early, as one of paranoia's bursts of reading may take the best
    // part of a second at a quiet speed.
    int refillBelow() const { return m_capacity * 3 / 4; }

    // Whether someone listens; true when the motor has to start again.
    bool listening(bool playing, qint64 nowMs);
    // True, once, when the motor should stop now.
    bool restDue(qint64 nowMs);

private:
    // Low enough that paranoia's bursts of reading do not count as falling
    // behind, high enough that a faster speed still comes in time.
    int lowWater() const { return m_capacity / 5; }

    int m_capacity;
    bool m_filling = true;
    bool m_ranLow = false;  // since the read-ahead was last full
    int m_step = 0;
    int m_floor = 0;  // the lowest step that kept up so far
    int m_calmFills = 0;
    bool m_playing = false;
    bool m_resting = false;
    qint64 m_idleSinceMs = -1;
};
