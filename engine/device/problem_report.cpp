#include "problem_report.h"

#include <cstdio>

void ProblemReport::say(const QString &message)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (message == m_last)
        return;
    m_last = message;
    std::fprintf(stderr, "velor-cdplayer: %s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
}

void ProblemReport::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_last.clear();
}
