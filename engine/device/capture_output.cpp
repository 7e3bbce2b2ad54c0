#include "audio_output.h"

#include <algorithm>

bool CaptureOutput::write(const char *pcm, qint64 bytes)
{
    m_pending.append(pcm, int(bytes));
    hearOwed();
    return true;
}

qint64 CaptureOutput::writableFrames() { return std::max<qint64>(0, m_depth + m_owed - bufferedFrames()); }

void CaptureOutput::dropNewest(qint64 frames)
{
    m_pending.chop(int(std::min(frames, bufferedFrames()) * kBytesPerFrame));
}

void CaptureOutput::play(qint64 frames)
{
    if (m_held)
        return;
    m_owed += frames;
    hearOwed();
}

void CaptureOutput::hearOwed()
{
    const qint64 frames = std::min(m_owed, bufferedFrames());
    m_data.append(m_pending.constData(), int(frames * kBytesPerFrame));
    m_pending.remove(0, int(frames * kBytesPerFrame));
    m_owed -= frames;
}
