// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings_file.h"

#include "atomic_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SettingsFile {

namespace {

// Beyond this no screen reaches (the X11 coordinate limit, in twips); a
// larger value is a damaged file, not a position.
constexpr double kLargestTwips = 32767.0 * 15;

// The file stores single-precision numbers.
QByteArray number(double value)
{
    const float single = float(value);
    if (single == std::trunc(single))
        return QByteArray::number(qint64(single));
    QByteArray text = QByteArray::number(double(single), 'f', 6);
    while (text.endsWith('0'))
        text.chop(1);
    return text;
}

// A value as a message may quote it: short and printable, or not at all.
QString quoted(const QByteArray &text)
{
    const bool printable = std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7f; });
    if (!printable || text.size() > 24)
        return QStringLiteral("a value");
    return QLatin1Char('"') + QString::fromLatin1(text) + QLatin1Char('"');
}

std::optional<double> value(QByteArray text, QString *problem)
{
    text = text.trimmed();
    if (text.isEmpty()) {
        *problem = QStringLiteral("a value is missing");
        return std::nullopt;
    }
    bool ok = false;
    const double parsed = text.toDouble(&ok);
    if (!ok || !std::isfinite(parsed)) {
        *problem = QStringLiteral("%1 is not a number").arg(quoted(text));
        return std::nullopt;
    }
    if (std::fabs(parsed) > kLargestTwips) {
        *problem = QStringLiteral("%1 is far beyond any screen").arg(quoted(text));
        return std::nullopt;
    }
    // The file holds single-precision numbers; a value reads back as the
    // number it will be written as.
    return double(float(parsed));
}

// What stands at a path that is not a plain file, in words.
QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    return QStringLiteral("not a plain file");
}

QString notPlainFile(mode_t mode)
{
    return QStringLiteral("it is %1, not a regular file").arg(kindOf(mode));
}

QString errorText(int error)
{
    if (error == ELOOP)
        return QStringLiteral("it is a symbolic link loop");
    return QString::fromLocal8Bit(std::strerror(error));
}

// Only a regular file, or nothing, may stand where the settings are kept:
// a FIFO would block the start in open(), and a link to a device would be
// replaced by the next save. Links are followed; what they lead to counts.
bool mayBeReplaced(const QString &path, QString *problem)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) == 0) {
        if (S_ISREG(status.st_mode))
            return true;
        *problem = notPlainFile(status.st_mode);
        return false;
    }
    if (errno == ENOENT)
        return true;
    *problem = errorText(errno);
    return false;
}

}  // namespace

QString location(const QString &executableDir, const QString &configDir)
{
    const QFileInfo portable(QDir(executableDir).filePath(QLatin1String(kFileName)));
    if (portable.isFile() && portable.isWritable())
        return portable.filePath();
    return QDir(configDir).filePath(QLatin1String(kFileName));
}

QString location()
{
    return location(QCoreApplication::applicationDirPath(),
                    QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

QByteArray format(QPointF twips)
{
    return number(twips.x()) + ',' + number(twips.y()) + "\r\n";
}

std::optional<QPointF> parse(const QByteArray &content, QString *problem)
{
    const qsizetype end = content.indexOf('\n');
    QByteArray line = end < 0 ? content : content.left(end);
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.trimmed().isEmpty()) {
        *problem = QStringLiteral("it is empty");
        return std::nullopt;
    }
    const QList<QByteArray> values = line.split(',');
    if (values.size() < 2) {
        *problem = QStringLiteral("it holds one value, not two");
        return std::nullopt;
    }
    const std::optional<double> x = value(values[0], problem);
    if (!x)
        return std::nullopt;
    const std::optional<double> y = value(values[1], problem);
    if (!y)
        return std::nullopt;
    return QPointF(*x, *y);
}

std::optional<QPointF> read(const QString &path, QString *problem)
{
    problem->clear();
    // Opened without blocking, and looked at before anything is read: what
    // stands there may be a FIFO that nobody ever writes.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT)  // a missing file: the player has not been moved yet
            *problem = errorText(errno);
        return std::nullopt;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *problem = file.errorString();
        return std::nullopt;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        *problem = notPlainFile(status.st_mode);
        return std::nullopt;
    }
    // The line is short; a huge file is damaged anyway.
    return parse(file.read(4096), problem);
}

bool write(const QString &path, QPointF twips, QString *error)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        *error = QStringLiteral("cannot create the folder %1").arg(info.absolutePath());
        return false;
    }
    if (!mayBeReplaced(path, error))
        return false;
    return replaceFileWhole(path, format(twips), error);
}

}  // namespace SettingsFile
