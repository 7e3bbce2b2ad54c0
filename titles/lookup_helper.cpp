// SPDX-License-Identifier: GPL-3.0-or-later
#include "lookup_helper.h"

#include "clock.h"
#include "lookup_protocol.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
// Takes the whole lines from buffer after appending more; with all, the
// unfinished rest too (the writer has ended).
QList<QByteArray> takeLines(QByteArray &buffer, const QByteArray &more, bool all)
{
    buffer += more;
    const qsizetype end = all ? buffer.size() : buffer.lastIndexOf('\n') + 1;
    QList<QByteArray> lines = buffer.left(end).split('\n');
    buffer.remove(0, end);
    lines.removeAll(QByteArray());
    return lines;
}
}  // namespace

LookupHelper::LookupHelper(const QString &program, Clock *clock, QObject *parent)
    : QObject(parent), m_program(program), m_clock(clock), m_spacer(new ClockTimer(clock, this)),
      m_bound(new ClockTimer(clock, this))
{
    connect(m_spacer, &ClockTimer::timeout, this, [this] {
        m_spacer->stop();
        launch();
    });
    connect(m_bound, &ClockTimer::timeout, this, [this] {
        say(QStringLiteral("did not end within %1 s").arg((kLookupBoundMs + kGraceMs) / 1000));
        end();
    });
}

LookupHelper::~LookupHelper()
{
    if (!m_process)
        return;
    m_process->disconnect(this);
    m_process->kill();
    m_process->waitForFinished();  // a killed process ends at once
}

QString LookupHelper::installedProgram()
{
    const QDir here(QCoreApplication::applicationDirPath());
    const QString beside = here.filePath(QLatin1String(kLookupHelperName));
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QDir::cleanPath(here.filePath(QStringLiteral(VELOR_LIBEXEC_FROM_BIN "/") + QLatin1String(kLookupHelperName)));
}

void LookupHelper::start(const QStringList &arguments)
{
    m_waiting = arguments;
    m_hasWaiting = true;
    if (m_process)
        end();  // the next starts when it has ended
    else
        startWhenAllowed();
}

void LookupHelper::stop()
{
    m_hasWaiting = false;
    m_spacer->stop();
    if (m_process)
        end();
}

void LookupHelper::startWhenAllowed()
{
    const qint64 wait = m_nextStartMs - m_clock->nowMs();
    if (wait > 0)
        m_spacer->setInterval(int(wait));
    else
        launch();
}

void LookupHelper::launch()
{
    m_hasWaiting = false;
    m_ending = m_saidOwn = false;
    m_records.clear();
    m_problems.clear();
    m_process = new QProcess(this);
    m_process->setStandardInputFile(QProcess::nullDevice());
    connect(m_process, &QProcess::readyReadStandardOutput, this, [this] { readOutput(false); });
    connect(m_process, &QProcess::readyReadStandardError, this, [this] { readOutput(false); });
    connect(m_process, &QProcess::finished, this, &LookupHelper::onFinished);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;  // finished() follows
        say(QStringLiteral("could not be started (%1)").arg(m_process->errorString()));
        forgetProcess();
    });
    m_bound->setInterval(int(kLookupBoundMs + kGraceMs));
    m_process->start(m_program, m_waiting);
}

void LookupHelper::end()
{
    m_ending = true;
    m_bound->stop();
    m_process->kill();
}

void LookupHelper::onFinished(int exitCode, QProcess::ExitStatus status)
{
    readOutput(true);
    if (!m_ending && !m_saidOwn && (status == QProcess::CrashExit || exitCode != 0))
        say(status == QProcess::CrashExit ? QStringLiteral("crashed")
                                          : QStringLiteral("ended with status %1").arg(exitCode));
    forgetProcess();
}

// A helper ended here writes for a disc the player no longer holds.
void LookupHelper::readOutput(bool all)
{
    const QList<QByteArray> records = takeLines(m_records, m_process->readAllStandardOutput(), all);
    const QList<QByteArray> problems = takeLines(m_problems, m_process->readAllStandardError(), all);
    if (m_ending)
        return;
    for (const QByteArray &record : records)
        emit recordRead(record);
    for (const QByteArray &line : problems) {
        m_saidOwn = true;
        const QString problem = QString::fromUtf8(line);
        m_report.say(problem.startsWith(QLatin1String(ProblemReport::kPrefix))
                         ? problem.mid(int(qstrlen(ProblemReport::kPrefix)))
                         : problem);
    }
}

void LookupHelper::say(const QString &what)
{
    m_report.say(QStringLiteral("no titles: %1 %2").arg(m_program, what));
}

void LookupHelper::forgetProcess()
{
    m_bound->stop();
    m_process->disconnect(this);
    m_process->deleteLater();
    m_process = nullptr;
    m_nextStartMs = m_clock->nowMs() + kStartSpacingMs;
    if (m_hasWaiting)
        startWhenAllowed();
}
