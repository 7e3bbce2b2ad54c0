// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

class Clock;

// What the output has been given and how much of it has been heard, in
// frames. The stream now heard began at a disc frame, at a count of frames
// written; the output said how much it still buffered at some moment and
// drains in real time from there. Where the stream last ran on across a
// track start without a break is kept, so that a start again from there can
// keep what came before it. Not locked: its owner's lock guards it.
class OutputTiming {
public:
    explicit OutputTiming(Clock *clock) : m_clock(clock) {}

    // A new stream from frame, heard once what is buffered has been dropped.
    void startAfterDrop(qint64 frame);
    // A new stream from frame right after what was written, without a
    // break; restartable: a start again from there may keep what came before.
    void joinAt(qint64 frame, bool restartable);
    // The stream starts again from the last restartable join, which is not
    // heard yet: only what followed the join is to be dropped. False
    // otherwise.
    bool restartAtJoin(qint64 frame);
    bool pendingStart() const { return m_pendingStart; }
    // Only what the stream now heard has written so far is to be dropped;
    // what came before it plays out.
    void cutBackToStreamStart();

    // The output dropped everything.
    void dropped();
    // Frames the output is to drop from its newest end for a restart at the
    // join (0 for none); from here on they count as never written.
    qint64 takeCutBack();
    // The output was given frames / said what it buffers now.
    void wrote(qint64 frames) { m_written += frames; }
    // clockRunning false: the output has not begun to play what it buffers.
    void measured(qint64 buffered, bool clockRunning = true);
    bool clockRunning() const { return m_clockRunning; }

    // Paused: what is buffered stops draining, until resumed.
    void hold();
    void resume();

    qint64 bufferedNow() const;
    // The disc frame heard now; never past cursor, the next to be written.
    qint64 heard(qint64 cursor) const;
    qint64 streamStart() const { return m_start; }

private:
    Clock *m_clock;
    qint64 m_start = 0;        // disc frame where the stream now heard began
    qint64 m_base = 0;         // frames written when it began
    bool m_pendingStart = false;
    qint64 m_written = 0;
    qint64 m_buffered = 0;
    qint64 m_bufferedAtMs = 0;
    bool m_draining = true;
    bool m_clockRunning = true;
    qint64 m_joinWritten = -1;
    qint64 m_joinFrame = -1;
    qint64 m_cutBackTo = -1;
};
