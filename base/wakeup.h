// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

// Wakes a waiting thread from any other thread, without lost wake-ups: the
// waiter notes count() before it looks for work and then waits only while
// nothing has been notified since. Its lock is taken by nobody for longer
// than a counter's increment, so notify() is safe from any callback.
class Wakeup {
public:
    uint64_t count() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_count;
    }

    void notify()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_count;
        }
        m_changed.notify_all();
    }

    void waitFor(uint64_t seen, int64_t ms)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::milliseconds(ms), [&] { return m_count != seen; });
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    uint64_t m_count = 0;
};
