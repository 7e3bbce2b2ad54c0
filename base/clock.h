// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// base/: the ground floor. The clock every timed thing runs on (the
// system's, or a stepped one in tests), the one place problems are said,
// file names as the system stores them, the CD audio format. Uses nothing of
// the player's own; every room may use it.

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

class ClockTimer;

// Time source for everything in the player that runs on a schedule: the
// status-update timer, the open timer, the entry timer and, in tests, the
// pace at which audio is consumed. Production uses SystemClock; tests use
// ManualClock and step time without sleeping.
class Clock {
public:
    virtual ~Clock() = default;
    virtual qint64 nowMs() const = 0;

    // True when time only moves through ManualClock::advance. The device
    // control then renders audio synchronously instead of on its threads.
    virtual bool isManual() const { return false; }

protected:
    friend class ClockTimer;
    virtual void arm(ClockTimer *timer) = 0;
    virtual void disarm(ClockTimer *timer) = 0;
};

// A repeating timer bound to a Clock. Interval 0 means stopped. Setting an
// interval always restarts the countdown, even when it is the same value.
class ClockTimer : public QObject {
    Q_OBJECT
public:
    explicit ClockTimer(Clock *clock, QObject *parent = nullptr);
    ~ClockTimer() override;

    void setInterval(int ms);
    int interval() const { return m_interval; }
    void stop() { setInterval(0); }
    // The clock it runs on, so that timers that belong together share one.
    Clock *clock() const { return m_clock; }

    qint64 dueAt() const { return m_dueAt; }

signals:
    void timeout();

private:
    friend class SystemClock;
    friend class ManualClock;
    Clock *m_clock;
    int m_interval = 0;
    qint64 m_dueAt = 0;
    quint64 m_armSequence = 0;
    QObject *m_backend = nullptr;  // the QTimer of a SystemClock
};

class SystemClock : public Clock {
public:
    SystemClock();
    qint64 nowMs() const override;
    static SystemClock *instance();

protected:
    void arm(ClockTimer *timer) override;
    void disarm(ClockTimer *timer) override;

private:
    qint64 m_origin;
};

// Time stands still until advance() moves it. Timers fire in due order
// (ties in the order they were armed); pacers run up to each instant first,
// so a timer at time t sees the audio that was consumed up to t.
class ManualClock : public Clock {
public:
    using Pacer = std::function<void(qint64 nowMs)>;

    qint64 nowMs() const override { return m_now; }
    bool isManual() const override { return true; }

    void advance(qint64 ms);
    int addPacer(Pacer pacer);
    void removePacer(int id);

protected:
    void arm(ClockTimer *timer) override;
    void disarm(ClockTimer *timer) override;

private:
    ClockTimer *nextDue(qint64 until) const;
    void runPacers();

    qint64 m_now = 0;
    quint64 m_sequence = 0;
    int m_nextPacerId = 1;
    std::vector<ClockTimer *> m_armed;
    std::vector<std::pair<int, Pacer>> m_pacers;
};
