#include "problem_report.h"

#include <cstdio>

namespace {
// File names can hold anything, a line end or an escape sequence included;
// what reaches the terminal is printable.
QString printable(const QString &message)
{
    QString out;
    for (const QChar c : message) {
        if (c.isPrint())
            out += c;
        else
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
    }
    return out;
}
}  // namespace

void ProblemReport::say(const QString &message)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (message == m_last)
        return;
    m_last = message;
    std::fprintf(stderr, "velor-cdplayer: %s\n", printable(message).toLocal8Bit().constData());
    std::fflush(stderr);
}

void ProblemReport::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_last.clear();
}
