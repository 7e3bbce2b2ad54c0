#include "audio_output.h"
#include "clock.h"

#include <algorithm>
#include <chrono>
#include <thread>

NullOutput::NullOutput(Clock *clock, bool realTime) : m_clock(clock), m_realTime(realTime) {}

bool NullOutput::write(const char *, qint64 bytes)
{
    if (!m_realTime)
        return true;
    const qint64 now = m_clock->nowMs();
    // After an underrun (a pause, a slow read) start counting afresh rather
    // than racing to catch up.
    if (m_startMs < 0 || bufferedFrames() == 0) {
        m_startMs = now;
        m_framesWritten = 0;
    }
    m_framesWritten += bytes / kBytesPerFrame;
    // Keep about one write's worth ahead of what is "heard", like a sound
    // server's buffer would.
    const qint64 dueMs = m_startMs + m_framesWritten * 1000 / kSampleRate;
    const qint64 aheadMs = bytes / kBytesPerFrame * 1000 / kSampleRate;
    const qint64 waitMs = dueMs - aheadMs - now;
    if (waitMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
    return true;
}

qint64 NullOutput::bufferedFrames()
{
    if (!m_realTime || m_startMs < 0)
        return 0;
    const qint64 heard = (m_clock->nowMs() - m_startMs) * kSampleRate / 1000;
    return std::max<qint64>(0, m_framesWritten - heard);
}

void NullOutput::discard()
{
    m_startMs = -1;
    m_framesWritten = 0;
}
