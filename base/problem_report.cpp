// SPDX-License-Identifier: GPL-3.0-or-later
#include "problem_report.h"

#include "file_names.h"

#include <cstdio>

void ProblemReport::say(const QString &message)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (message == m_last)
        return;
    m_last = message;
    // File names can hold anything, a line end, an escape sequence or bytes
    // that are not UTF-8 included; what reaches the terminal is printable.
    std::fprintf(stderr, "%s%s\n", kPrefix, printableLine(message).toUtf8().constData());
    std::fflush(stderr);
}

void ProblemReport::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_last.clear();
}
