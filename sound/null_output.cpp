// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio_output.h"
#include "clock.h"

#include <algorithm>
#include <limits>

NullOutput::NullOutput(Clock *clock, bool realTime) : m_clock(clock), m_realTime(realTime) {}

bool NullOutput::write(const char *, qint64 bytes)
{
    if (!m_realTime)
        return true;
    // After an underrun (a slow read) start counting afresh rather than
    // racing to catch up.
    if (m_startMs < 0 || bufferedFrames() == 0) {
        m_startMs = m_clock->nowMs();
        m_framesWritten = 0;
    }
    m_framesWritten += bytes / kBytesPerFrame;
    return true;
}

// Room comes in halves of the depth, so that the writer wakes twice per
// buffer rather than for every few frames.
qint64 NullOutput::writableFrames()
{
    if (!m_realTime)
        return std::numeric_limits<qint64>::max() / 2;
    const qint64 buffered = bufferedFrames();
    return m_heldBuffered < 0 && buffered <= kDepthFrames / 2 ? kDepthFrames - buffered : 0;
}

qint64 NullOutput::msUntilWritable()
{
    if (m_heldBuffered >= 0)
        return 1000;
    return std::max<qint64>(1, (bufferedFrames() - kDepthFrames / 2) * 1000 / kSampleRate + 1);
}

qint64 NullOutput::bufferedFrames()
{
    if (m_heldBuffered >= 0)
        return m_heldBuffered;
    if (!m_realTime || m_startMs < 0)
        return 0;
    const qint64 heard = (m_clock->nowMs() - m_startMs) * kSampleRate / 1000;
    return std::max<qint64>(0, m_framesWritten - heard);
}

void NullOutput::discard()
{
    m_startMs = -1;
    m_framesWritten = 0;
    if (m_heldBuffered >= 0)
        m_heldBuffered = 0;
}

void NullOutput::dropNewest(qint64 frames)
{
    if (m_heldBuffered >= 0)
        m_heldBuffered = std::max<qint64>(0, m_heldBuffered - frames);
    else
        m_framesWritten -= std::min(frames, bufferedFrames());
}

void NullOutput::hold(bool held)
{
    if (held == (m_heldBuffered >= 0))
        return;
    if (held) {
        m_heldBuffered = bufferedFrames();
        return;
    }
    m_startMs = m_clock->nowMs();
    m_framesWritten = m_heldBuffered;
    m_heldBuffered = -1;
}
