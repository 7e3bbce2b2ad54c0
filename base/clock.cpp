// SPDX-License-Identifier: GPL-3.0-or-later
#include "clock.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

ClockTimer::ClockTimer(Clock *clock, QObject *parent) : QObject(parent), m_clock(clock) {}

ClockTimer::~ClockTimer()
{
    if (m_interval > 0)
        m_clock->disarm(this);
}

void ClockTimer::setInterval(int ms)
{
    if (m_interval > 0)
        m_clock->disarm(this);
    m_interval = std::max(0, ms);
    if (m_interval > 0) {
        m_dueAt = m_clock->nowMs() + m_interval;
        m_clock->arm(this);
    }
}

// --- SystemClock -----------------------------------------------------------

static qint64 monotonicMs()
{
    static QElapsedTimer elapsed = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return elapsed.elapsed();
}

SystemClock::SystemClock() : m_origin(monotonicMs()) {}

qint64 SystemClock::nowMs() const { return monotonicMs() - m_origin; }

SystemClock *SystemClock::instance()
{
    static SystemClock clock;
    return &clock;
}

void SystemClock::arm(ClockTimer *timer)
{
    auto *qt = static_cast<QTimer *>(timer->m_backend);
    if (!qt) {
        qt = new QTimer(timer);
        qt->setTimerType(Qt::PreciseTimer);
        QObject::connect(qt, &QTimer::timeout, timer, [timer, this] {
            timer->m_dueAt = nowMs() + timer->m_interval;
            emit timer->timeout();
        });
        timer->m_backend = qt;
    }
    qt->start(timer->m_interval);
}

void SystemClock::disarm(ClockTimer *timer)
{
    if (auto *qt = static_cast<QTimer *>(timer->m_backend))
        qt->stop();
}

// --- ManualClock -----------------------------------------------------------

void ManualClock::arm(ClockTimer *timer)
{
    timer->m_armSequence = ++m_sequence;
    m_armed.push_back(timer);
}

void ManualClock::disarm(ClockTimer *timer)
{
    m_armed.erase(std::remove(m_armed.begin(), m_armed.end(), timer), m_armed.end());
}

int ManualClock::addPacer(Pacer pacer)
{
    m_pacers.emplace_back(m_nextPacerId, std::move(pacer));
    return m_nextPacerId++;
}

void ManualClock::removePacer(int id)
{
    m_pacers.erase(std::remove_if(m_pacers.begin(), m_pacers.end(),
                                  [id](const auto &p) { return p.first == id; }),
                   m_pacers.end());
}

ClockTimer *ManualClock::nextDue(qint64 until) const
{
    ClockTimer *best = nullptr;
    for (ClockTimer *t : m_armed) {
        if (t->m_dueAt > until)
            continue;
        if (!best || t->m_dueAt < best->m_dueAt
            || (t->m_dueAt == best->m_dueAt && t->m_armSequence < best->m_armSequence))
            best = t;
    }
    return best;
}

void ManualClock::runPacers()
{
    // A pacer may add or remove pacers while it runs; iterate over a copy.
    const auto pacers = m_pacers;
    for (const auto &p : pacers)
        p.second(m_now);
}

void ManualClock::advance(qint64 ms)
{
    const qint64 target = m_now + std::max<qint64>(0, ms);
    while (ClockTimer *t = nextDue(target)) {
        m_now = std::max(m_now, t->m_dueAt);
        runPacers();
        // The pacers may have re-armed or stopped it.
        if (std::find(m_armed.begin(), m_armed.end(), t) == m_armed.end() || t->m_dueAt > m_now)
            continue;
        t->m_dueAt = m_now + t->m_interval;
        t->m_armSequence = ++m_sequence;
        emit t->timeout();
    }
    m_now = target;
    runPacers();
}
