// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_files.h"

#include "file_names.h"

#include <QDir>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString typeProblem(mode_t mode, FileRole role)
{
    if (S_ISDIR(mode))
        return QStringLiteral("is a directory");
    if (S_ISFIFO(mode))
        return QStringLiteral("is a FIFO (named pipe), not a disc image");
    if (S_ISSOCK(mode))
        return QStringLiteral("is a socket, not a disc image");
    if (S_ISCHR(mode))
        return QStringLiteral("is a character device, not a CD drive");
    if (S_ISBLK(mode) && role == FileRole::DataFile)
        return QStringLiteral("is a device, not a data file");
    if (!S_ISREG(mode) && !S_ISBLK(mode))
        return QStringLiteral("is not a file");
    return QString();
}

quint32 le32(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}

quint16 le16(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return quint16(u[0] | u[1] << 8);
}

// Finds the samples of a RIFF WAVE file of 16-bit stereo 44.1 kHz PCM.
void readWaveLayout(const QString &path, DataFileFacts *facts)
{
    const int fd = openRegularFile(path);
    if (fd < 0)
        return;
    char head[12];
    bool pcm = false;
    qint64 at = 12;
    if (::pread(fd, head, 12, 0) == 12 && std::memcmp(head, "RIFF", 4) == 0
        && std::memcmp(head + 8, "WAVE", 4) == 0) {
        facts->riff = true;
        char chunk[24];
        for (int guard = 0; guard < 64 && at + 8 <= facts->size; ++guard) {
            if (::pread(fd, chunk, sizeof chunk, at) < 8)
                break;
            const qint64 size = le32(chunk + 4);
            if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
                const quint16 format = le16(chunk + 8);
                pcm = (format == 1 || format == 0xFFFE) && le16(chunk + 10) == 2
                      && le32(chunk + 12) == 44100 && le16(chunk + 22) == 16;
            } else if (std::memcmp(chunk, "data", 4) == 0) {
                facts->wave = pcm;
                facts->waveDataOffset = at + 8;
                facts->waveDataBytes = qMin(size, facts->size - (at + 8));
                break;
            }
            at += 8 + size + (size & 1);
        }
    }
    ::close(fd);
}

// The bytes of path for a system call: empty, which names no file, when
// it holds a NUL byte (a sheet can write one; the system would stop there).
QByteArray systemName(const QString &path)
{
    const QByteArray bytes = fileNameBytes(path);
    return bytes.contains('\0') ? QByteArray() : bytes;
}

QString statProblem(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("is missing");
    case ELOOP:
        return QStringLiteral("is a symbolic link loop");
    case EACCES:
        return QStringLiteral("cannot be read: permission denied");
    default:
        return QStringLiteral("cannot be read: %1").arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

// Names are joined and cleaned as strings: QDir and QFileInfo would
// take them through UTF-8 and lose the bytes that are not.
QString absolutePath(const QString &path)
{
    if (path.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(path);
    char *cwd = ::getcwd(nullptr, 0);
    const QString folder = cwd ? fileNameFromBytes(cwd) : QStringLiteral("/");
    std::free(cwd);
    return QDir::cleanPath(folder + QLatin1Char('/') + path);
}

QString joinedPath(const QString &folder, const QString &name)
{
    return QDir::cleanPath(name.startsWith(QLatin1Char('/')) ? name : folder + QLatin1Char('/') + name);
}

QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

// The names in folder, as file_names.h carries them.
QStringList folderEntries(const QString &folder)
{
    QStringList entries;
    DIR *listing = ::opendir(systemName(folder).constData());
    if (!listing)
        return entries;
    while (const dirent *entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            entries << fileNameFromBytes(name);
    }
    ::closedir(listing);
    return entries;
}

// Something is there under that name, a broken link or a link loop too:
// pathProblem says what is wrong with it.
bool nameIsThere(const QString &path)
{
    struct stat st {};
    return ::lstat(systemName(path).constData(), &st) == 0;
}

QString existingVariant(const QString &folder, const QString &name)
{
    if (name.isEmpty())
        return QString();
    const QString exact = joinedPath(folder, name);
    if (nameIsThere(exact))
        return exact;
    // The first in name order, as a listing of the folder would show them.
    const QString wanted = exact.mid(exact.lastIndexOf(QLatin1Char('/')) + 1);
    QString found;
    for (const QString &entry : folderEntries(folderOf(exact)))
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0 && (found.isEmpty() || entry < found))
            found = entry;
    return found.isEmpty() ? QString() : joinedPath(folderOf(exact), found);
}

QString lastPartOf(const QString &name)
{
    QString portable = name;
    portable.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return portable.mid(portable.lastIndexOf(QLatin1Char('/')) + 1);
}

}  // namespace

QString pathProblem(const QString &path, FileRole role)
{
    const QByteArray native = systemName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return statProblem(errno);
    QString problem = typeProblem(st.st_mode, role);
    if (!problem.isEmpty() || S_ISBLK(st.st_mode))
        return problem;
    if (st.st_size == 0)
        return QStringLiteral("is empty");
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return QStringLiteral("cannot be read: %1")
            .arg(errno == EACCES ? QStringLiteral("permission denied")
                                 : QString::fromLocal8Bit(std::strerror(errno)));
    ::close(fd);
    return QString();
}

bool pathIsMissing(const QString &path)
{
    struct stat st {};
    return ::stat(systemName(path).constData(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

int openRegularFile(const QString &path)
{
    const int fd = ::open(systemName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

DataFileLookup dataFileLookup(const QString &sheetPath)
{
    const QString folder = folderOf(absolutePath(sheetPath));
    struct stat sheet {};
    const bool sheetKnown = ::stat(systemName(sheetPath).constData(), &sheet) == 0;
    return [folder, sheet, sheetKnown](const QString &name) {
        DataFileFacts facts;
        QStringList names{name};
        if (hasUndecodedBytes(name))
            names << QString::fromLatin1(fileNameBytes(name));
        QString path;
        for (const QString &n : names)
            if (path.isEmpty())
                path = existingVariant(folder, n);
        for (const QString &n : names)
            if (path.isEmpty())
                path = existingVariant(folder, lastPartOf(n));
        if (path.isEmpty()) {
            facts.path = joinedPath(folder, name);
            facts.problem = QStringLiteral("its data file %1 is missing").arg(facts.path);
            return facts;
        }
        facts.path = path;
        struct stat st {};
        const bool there = ::stat(systemName(path).constData(), &st) == 0;
        if (there && sheetKnown && st.st_dev == sheet.st_dev && st.st_ino == sheet.st_ino) {
            facts.problem = QStringLiteral("its data file %1 is the sheet itself").arg(path);
            return facts;
        }
        const QString problem = pathProblem(path, FileRole::DataFile);
        if (!problem.isEmpty()) {
            facts.problem = QStringLiteral("its data file %1 %2").arg(path, problem);
            return facts;
        }
        facts.size = st.st_size;
        readWaveLayout(path, &facts);
        return facts;
    };
}

QByteArray readSheetText(const QString &path, QString *problem)
{
    const int fd = openRegularFile(path);
    if (fd < 0) {
        *problem = QStringLiteral("cannot be read as a sheet");
        return {};
    }
    QByteArray text(kMaxSheetBytes + 1, Qt::Uninitialized);
    qint64 got = 0;
    while (got < text.size()) {
        const ssize_t n = ::pread(fd, text.data() + got, size_t(text.size() - got), off_t(got));
        if (n <= 0)
            break;
        got += n;
    }
    ::close(fd);
    if (got > kMaxSheetBytes)
        *problem = QStringLiteral("is too large for a cue sheet or toc file");
    text.truncate(got > kMaxSheetBytes ? 0 : int(got));
    return text;
}
