// SPDX-License-Identifier: GPL-3.0-or-later
#include "read_pace.h"

#include <algorithm>
#include <array>

namespace {

// Paranoia reads every sector about twice over to verify it, so 4x gives a
// little less than 2x of sound: the read-ahead fills again about as fast as
// it empties. 2x cannot keep up. The drive's own speed is the last resort
// when even 8x cannot (a disc read with many retries).
constexpr std::array<int, 3> kSteadySpeeds = {4, 8, ReadPace::kDriveDefault};

} // namespace

void ReadPace::restart()
{
    m_filling = true;
    m_ranLow = false;
}

void ReadPace::sawLevel(int level)
{
    if (level >= m_capacity) {
        if (!m_filling && !m_ranLow && ++m_calmFills >= kCalmFillsToStepDown && m_step > m_floor) {
            --m_step;
            m_calmFills = 0;
        }
        m_filling = false;
        m_ranLow = false;
        return;
    }
    // Running low, it catches up and then holds one step faster: once per
    // time, as the faster speed needs a moment to show in the level.
    if (!m_filling && !m_ranLow && level < lowWater()) {
        m_ranLow = true;
        m_filling = true;
        m_calmFills = 0;
        // A speed that could not keep up once will not on this disc: paranoia
        // reads each sector more than once, more so where it has to repair.
        if (m_step == m_floor && m_floor + 1 < int(kSteadySpeeds.size()))
            ++m_floor;
        if (m_step + 1 < int(kSteadySpeeds.size()))
            ++m_step;
    }
}

int ReadPace::speed() const
{
    // Fallen behind, it catches up at the drive's own speed, loud for a
    // moment, rather than let the sound stall.
    if (m_filling && m_ranLow)
        return kDriveDefault;
    const int steady = kSteadySpeeds[size_t(m_step)];
    return m_filling && steady != kDriveDefault ? std::max(steady, kFillSpeed) : steady;
}

bool ReadPace::listening(bool playing, qint64 nowMs)
{
    m_playing = playing;
    m_idleSinceMs = playing ? -1 : nowMs;
    const bool wake = playing && m_resting;
    if (wake)
        m_resting = false;
    return wake;
}

bool ReadPace::restDue(qint64 nowMs)
{
    if (m_playing || m_resting)
        return false;
    if (m_idleSinceMs < 0)
        m_idleSinceMs = nowMs;
    m_resting = nowMs - m_idleSinceMs >= kRestAfterMs;
    return m_resting;
}
