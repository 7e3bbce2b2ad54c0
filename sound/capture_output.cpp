// SPDX-License-Identifier: GPL-3.0-or-later
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
    if (m_discardFrames > bufferedFrames())
        m_discardFrames = bufferedFrames();
}

// Held, the sink has nothing in flight that could still be played.
void CaptureOutput::discard()
{
    m_discardFrames = bufferedFrames();
    if (m_held)
        act();
    else
        scheduleAct();
}

// Going on acts at once, so that a hold still waiting is cancelled.
void CaptureOutput::hold(bool held)
{
    m_holdWanted = held;
    if (held)
        scheduleAct();
    else
        m_held = false;
}

void CaptureOutput::scheduleAct()
{
    if (m_actLate == 0)
        act();
    else if (m_actIn < 0)
        m_actIn = m_actLate;
}

void CaptureOutput::act()
{
    if (m_discardFrames >= 0)
        m_pending.remove(0, int(m_discardFrames * kBytesPerFrame));
    m_discardFrames = -1;
    m_held = m_holdWanted;
    m_actIn = -1;
}

void CaptureOutput::play(qint64 frames)
{
    if (m_actIn >= 0) {
        const qint64 before = std::min(frames, m_actIn);
        playOn(before);
        m_actIn -= before;
        frames -= before;
        if (m_actIn > 0)
            return;
        act();
    }
    playOn(frames);
}

void CaptureOutput::playOn(qint64 frames)
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
    if (m_discardFrames > 0)
        m_discardFrames = std::max<qint64>(0, m_discardFrames - frames);
}
