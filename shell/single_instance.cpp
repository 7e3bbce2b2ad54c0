// SPDX-License-Identifier: GPL-3.0-or-later
#include "single_instance.h"

#include "stale_lock.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>

namespace {

// Two players started together may both find a damaged lock and clear it;
// a few rounds settle which of them creates the new one.
constexpr int kClaimRounds = 4;

QtMessageHandler handlerBeforeRuntimeCatch = nullptr;
QString runtimeFolderProblem;

// Qt's warnings about the runtime folder start with this; whatever else
// Qt says goes on as before.
constexpr QLatin1StringView kRuntimeWarning("QStandardPaths: ");

void catchRuntimeWarning(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    const bool aboutTheFolder = text.contains(QLatin1String("runtime directory"))
        || text.contains(QLatin1String("XDG_RUNTIME_DIR"));
    if (text.startsWith(kRuntimeWarning) && aboutTheFolder) {
        if (runtimeFolderProblem.isEmpty())
            runtimeFolderProblem = text.mid(kRuntimeWarning.size());
        return;
    }
    if (handlerBeforeRuntimeCatch)
        handlerBeforeRuntimeCatch(type, context, text);
    else
        qt_message_output(type, context, text);
}

void say(const QString &message)
{
    std::fprintf(stderr, "velor-cdplayer: %s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
}

void sayRunningWithout(const QString &path, const QString &cause)
{
    const QString lock = path.isEmpty() ? QString() : QLatin1Char(' ') + path;
    say(QStringLiteral("cannot take the lock%1 (%2); running without the one-player check")
            .arg(lock, cause));
}

// Why a lock file could not be created where the lock file is missing.
QString creationFailure(const QString &path)
{
    if (path.isEmpty())
        return QStringLiteral("no runtime directory");
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (!folder.isDir())
        return QStringLiteral("its folder %1 does not exist").arg(folder.filePath());
    return QStringLiteral("its folder %1 is not writable").arg(folder.filePath());
}

} // namespace

SingleInstance::SingleInstance(const QString &lockPath) : m_path(lockPath), m_lock(lockPath)
{
    // A running player holds the lock for hours; only a lock whose process
    // has gone may count as stale, never one that is merely old.
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::acquire()
{
    for (int round = 0; round < kClaimRounds; ++round) {
        if (!m_path.isEmpty() && m_lock.tryLock(0))
            return true;
        if (m_path.isEmpty() || m_lock.error() != QLockFile::LockFailedError) {
            sayRunningWithout(m_path, creationFailure(m_path));
            return true;
        }
        switch (claimUnheldLock()) {
        case Claim::HeldByPlayer:
            return false;
        case Claim::Impossible:
            return true;
        case Claim::Taken:
        case Claim::Retry:
            break;
        }
    }
    sayRunningWithout(m_path, QStringLiteral("it keeps changing"));
    return true;
}

// The lock exists and the lock file class would not take it over: find out
// whether a running player holds it, and clear it away when none does.
SingleInstance::Claim SingleInstance::claimUnheldLock()
{
    const LockClearance found = clearUnheldLock(m_path);
    switch (found.outcome) {
    case LockClearance::Outcome::Held:
        return Claim::HeldByPlayer;
    case LockClearance::Outcome::Changed:
        return Claim::Retry;
    case LockClearance::Outcome::Blocked:
        sayRunningWithout(m_path, found.reason);
        return Claim::Impossible;
    case LockClearance::Outcome::Cleared:
        break;
    }
    if (!found.reason.isEmpty())
        say(QStringLiteral("the lock %1 %2; taken over").arg(m_path, found.reason));
    return Claim::Taken;
}

void SingleInstance::release() { m_lock.unlock(); }

void SingleInstance::catchRuntimeFolderWarnings()
{
    handlerBeforeRuntimeCatch = qInstallMessageHandler(catchRuntimeWarning);
}

QString SingleInstance::defaultLockPath()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtimeFolderProblem.isEmpty()) {
        say(QStringLiteral("%1; the lock is kept in %2")
                .arg(runtimeFolderProblem, dir.isEmpty() ? QStringLiteral("no folder") : dir));
        runtimeFolderProblem.clear();
    }
    if (dir.isEmpty())
        return QString();
    QDir().mkpath(dir);
    return dir + QStringLiteral("/velor-cdplayer.lock");
}
