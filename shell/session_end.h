// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

// A desktop that logs out ends its programs with SIGTERM, a terminal with
// SIGINT or SIGHUP: each is answered as the exit button is, so the player
// stops its sound, keeps its place and lets its lock go. The signal itself
// only writes a byte; the answer runs on the event loop, once. A signal
// that comes again two seconds later or more ends the player at once,
// should its event loop not answer.
class SessionEnd : public QObject {
    Q_OBJECT
public:
    explicit SessionEnd(std::function<void()> end, QObject *parent = nullptr);
    ~SessionEnd() override;

private:
    void onSignalled();

    std::function<void()> m_end;
    QSocketNotifier *m_notifier = nullptr;
    bool m_ended = false;
};
