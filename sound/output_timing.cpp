// SPDX-License-Identifier: GPL-3.0-or-later
#include "output_timing.h"

#include "audio_output.h"
#include "clock.h"

#include <algorithm>

void OutputTiming::startAfterDrop(qint64 frame)
{
    m_start = frame;
    m_pendingStart = true;
}

void OutputTiming::joinAt(qint64 frame, bool restartable)
{
    m_start = frame;
    m_base = m_written;
    m_pendingStart = false;
    m_joinWritten = restartable ? m_written : -1;
    m_joinFrame = frame;
}

bool OutputTiming::restartAtJoin(qint64 frame)
{
    // Not when the join is about to be heard: the server may be there first.
    const qint64 margin = kSampleRate / 20;
    if (m_joinWritten < 0 || frame != m_joinFrame || m_written - bufferedNow() + margin >= m_joinWritten)
        return false;
    m_start = frame;
    m_base = m_joinWritten;
    m_pendingStart = false;
    m_cutBackTo = m_joinWritten;
    if (!m_draining)
        resume();
    return true;
}

void OutputTiming::cutBackToStreamStart()
{
    m_cutBackTo = m_base;
    m_joinWritten = -1;
    m_pendingStart = false;
}

void OutputTiming::dropped()
{
    m_base = m_written;
    m_pendingStart = false;
    m_joinWritten = -1;
    m_cutBackTo = -1;
    m_draining = true;
    measured(0);
}

qint64 OutputTiming::takeCutBack()
{
    if (m_cutBackTo < 0)
        return 0;
    const qint64 frames = std::max<qint64>(0, m_written - m_cutBackTo);
    m_written -= frames;
    m_cutBackTo = -1;
    return frames;
}

void OutputTiming::measured(qint64 buffered, bool clockRunning)
{
    m_buffered = buffered;
    m_clockRunning = clockRunning;
    m_bufferedAtMs = m_clock->nowMs();
}

void OutputTiming::hold()
{
    measured(bufferedNow());
    m_draining = false;
}

void OutputTiming::resume()
{
    m_draining = true;
    m_bufferedAtMs = m_clock->nowMs();
}

qint64 OutputTiming::bufferedNow() const
{
    if (!m_draining || !m_clockRunning)
        return m_buffered;
    const qint64 drained = (m_clock->nowMs() - m_bufferedAtMs) * kSampleRate / 1000;
    return std::max<qint64>(0, m_buffered - drained);
}

qint64 OutputTiming::heard(qint64 cursor) const
{
    if (m_pendingStart)
        return m_start;
    const qint64 played = std::max<qint64>(0, m_written - m_base - bufferedNow());
    return std::min(m_start + played, cursor);
}
