// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <mutex>

// Says what is wrong on stderr, once: a problem that persists (an empty
// drive polled every half second) is reported when it first appears and
// again only after something else was reported or it went away.
class ProblemReport {
public:
    void say(const QString &message);
    void clear();

private:
    std::mutex m_mutex;
    QString m_last;
};
