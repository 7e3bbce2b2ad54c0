// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <mutex>

// Says what is wrong on stderr, once: a problem that persists (an empty
// drive polled every half second) is reported when it first appears and
// again only after something else was reported or it went away.
class ProblemReport {
public:
    // What each line begins with, so that a line of a helper program can
    // be said again as the player's own.
    static constexpr char kPrefix[] = "velor-cdplayer: ";

    void say(const QString &message);
    void clear();

private:
    std::mutex m_mutex;
    QString m_last;
};
