// SPDX-License-Identifier: GPL-3.0-or-later
#include "stale_lock.h"

#include <QFile>
#include <QSysInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Outcome = LockClearance::Outcome;

QString errorText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// What is wrong with a lock file's content, as written by the lock file
// class: a process id, the application's name and the host's name.
QString contentFault(int fd)
{
    char buffer[1024];
    const ssize_t size = ::read(fd, buffer, sizeof buffer);
    if (size < 0)
        return QStringLiteral("could not be read (%1)").arg(errorText(errno));
    if (size == 0)
        return QStringLiteral("was empty");
    const QList<QByteArray> lines = QByteArray(buffer, int(size)).split('\n');
    bool isNumber = false;
    const qint64 pid = lines.value(0).toLongLong(&isNumber);
    if (!isNumber || pid <= 0 || lines.size() < 3)
        return QStringLiteral("held no process id");
    const QString host = QString::fromUtf8(lines.value(2));
    if (host != QSysInfo::machineHostName())
        return QStringLiteral("named another host");
    return QString();
}

bool sameFile(const QString &path, const struct stat &opened)
{
    struct stat now {};
    return ::lstat(QFile::encodeName(path).constData(), &now) == 0 && now.st_dev == opened.st_dev
           && now.st_ino == opened.st_ino;
}

LockClearance removeLocked(const QString &path, QString reason)
{
    if (::unlink(QFile::encodeName(path).constData()) == 0)
        return {Outcome::Cleared, std::move(reason)};
    if (errno == ENOENT)
        return {Outcome::Changed, QString()};
    return {Outcome::Blocked, QStringLiteral("cannot remove it: %1").arg(errorText(errno))};
}

// A file that cannot even be opened holds no lock anyone could see.
LockClearance clearUnopenable(const QString &path, int error)
{
    if (error == ENOENT)
        return {Outcome::Changed, QString()};
    const QString reason = error == ELOOP ? QStringLiteral("was a symbolic link")
                                          : QStringLiteral("could not be read (%1)").arg(errorText(error));
    return removeLocked(path, reason);
}

} // namespace

LockClearance clearUnheldLock(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return clearUnopenable(path, errno);
    struct stat opened {};
    LockClearance result{Outcome::Changed, QString()};
    if (::fstat(fd, &opened) != 0) {
        result = {Outcome::Blocked, errorText(errno)};
    } else if (S_ISDIR(opened.st_mode)) {
        result = {Outcome::Blocked, QStringLiteral("is a directory")};
    } else if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        result = {Outcome::Held, QString()};
    } else if (sameFile(path, opened)) {
        const QString fault = S_ISREG(opened.st_mode) ? contentFault(fd)
                                                      : QStringLiteral("was not a regular file");
        result = removeLocked(path, fault);
    }
    ::close(fd);
    return result;
}
