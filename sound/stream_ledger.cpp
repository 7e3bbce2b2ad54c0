// SPDX-License-Identifier: GPL-3.0-or-later
#include "stream_ledger.h"

#include <algorithm>

void StreamLedger::replaced(qint64 frames, bool audio)
{
    if (audio) {
        m_audio = 0;
        m_audioLanding = -1;
        m_audioLost = false;
    } else if (m_audioLanding < 0) {
        m_audioLost = true;
    }
    m_sinceReplace = 0;
    m_landing = -1;
    m_lastReplaceAudio = audio;
    appended(frames, audio);
}

void StreamLedger::appended(qint64 frames, bool audio)
{
    m_sinceReplace += frames;
    if (audio)
        m_audio += frames;
}

void StreamLedger::tookBack(qint64 frames)
{
    m_sinceReplace -= frames;
    m_audio -= frames;
}

void StreamLedger::timed(qint64 writeIndex)
{
    if (m_landing >= 0)
        return;
    m_landing = writeIndex - m_sinceReplace;
    if (m_lastReplaceAudio)
        m_audioLanding = m_landing;
}

qint64 StreamLedger::audioUnheard(qint64 playedIndex) const
{
    if (m_audioLanding < 0)
        return m_audio;
    return std::clamp<qint64>(m_audioLanding + m_audio - playedIndex, 0, m_audio);
}

qint64 StreamLedger::audioCutOff() const
{
    if (m_lastReplaceAudio || m_landing < 0 || m_audioLanding < 0 || m_audioLost)
        return -1;
    return std::clamp<qint64>(m_audioLanding + m_audio - m_landing, 0, m_audio);
}
