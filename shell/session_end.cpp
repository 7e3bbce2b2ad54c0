// SPDX-License-Identifier: GPL-3.0-or-later
#include "session_end.h"

#include <QSocketNotifier>

#include <csignal>
#include <ctime>
#include <utility>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalSockets[2] = {-1, -1};  // written by the handler, read on the event loop
// When the first signal came, in monotonic seconds; 0 before.
volatile std::sig_atomic_t firstSignalAt = 0;
// A signal this long after the first finds the player deaf (its event loop
// stuck) and ends it the default way; sooner, it is the same request again
// (timeout(1) and a terminal signal the process and its group both).
constexpr long kDeafAfterSeconds = 2;

long monotonicSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);  // safe in a signal handler, as write() is
    return long(now.tv_sec) + 1;
}

void onEndSignal(int signal)
{
    const long now = monotonicSeconds();
    if (firstSignalAt != 0) {
        if (now - firstSignalAt >= kDeafAfterSeconds) {
            std::signal(signal, SIG_DFL);
            std::raise(signal);
        }
        return;
    }
    firstSignalAt = std::sig_atomic_t(now);
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
}

} // namespace

SessionEnd::SessionEnd(std::function<void()> end, QObject *parent) : QObject(parent), m_end(std::move(end))
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalSockets) != 0)
        return;  // the signals keep their default: the player ends at once
    m_notifier = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SessionEnd::onSignalled);
    struct sigaction action {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

SessionEnd::~SessionEnd()
{
    if (!m_notifier)
        return;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        std::signal(signal, SIG_DFL);
    ::close(signalSockets[0]);
    ::close(signalSockets[1]);
    signalSockets[0] = signalSockets[1] = -1;
}

void SessionEnd::onSignalled()
{
    char bytes[16];
    while (::read(signalSockets[1], bytes, sizeof bytes) > 0) {
    }
    if (std::exchange(m_ended, true))
        return;
    m_end();
}
