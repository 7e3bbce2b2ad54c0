// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "problem_report.h"

#include <QObject>
#include <QProcess>
#include <QStringList>

class Clock;
class ClockTimer;

// Runs the title look-up helper (lookup_protocol.h) for the disc in the
// player: one at a time, never waited for on the event loop, and never two
// within a second of each other, so the web service's pace holds across
// discs. What it stores reaches the player line by line; what it says on
// stderr is said once as the player's own, and so is a helper that cannot
// start, crashes or outlives its bound (it is then ended).
class LookupHelper : public QObject {
    Q_OBJECT
public:
    // A helper still running this long after its own bound is ended here.
    static constexpr qint64 kGraceMs = 10000;
    static constexpr int kStartSpacingMs = 1000;

    LookupHelper(const QString &program, Clock *clock, QObject *parent = nullptr);
    ~LookupHelper() override;

    // Runs the helper with these arguments as soon as the one before has
    // ended (it is ended now) and the pace allows.
    void start(const QStringList &arguments);
    // Ends the helper running and forgets one waiting to start.
    void stop();
    // Whether a helper runs or waits to.
    bool busy() const { return m_process || m_hasWaiting; }

    // Beside the player (a build folder), else where the install puts it.
    static QString installedProgram();

signals:
    // A record the helper stored (title_cache.h's TitleCache::record).
    void recordRead(const QByteArray &record);

private:
    void startWhenAllowed();
    void launch();
    void end();
    void onFinished(int exitCode, QProcess::ExitStatus status);
    void readOutput(bool all);
    void say(const QString &what);
    void forgetProcess();

    QString m_program;
    Clock *m_clock;
    ClockTimer *m_spacer;
    ClockTimer *m_bound;
    QProcess *m_process = nullptr;
    QByteArray m_records;   // stdout not yet a whole line
    QByteArray m_problems;  // stderr not yet a whole line
    QStringList m_waiting;
    bool m_hasWaiting = false;
    bool m_ending = false;     // ended here: what it still writes is not for this disc
    bool m_saidOwn = false;    // it said what went wrong itself
    qint64 m_nextStartMs = 0;  // on the clock
    ProblemReport m_report;
};
