#include "image_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
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

QString existingVariant(const QDir &dir, const QString &name)
{
    if (name.isEmpty())
        return QString();
    const QString exact = dir.absoluteFilePath(name);
    if (QFileInfo::exists(exact))
        return QDir::cleanPath(exact);
    const QFileInfo wanted(exact);
    const QDir folder = wanted.absoluteDir();
    const QStringList entries = folder.entryList(QDir::AllEntries | QDir::System | QDir::Hidden, QDir::Name);
    for (const QString &entry : entries)
        if (entry.compare(wanted.fileName(), Qt::CaseInsensitive) == 0)
            return QDir::cleanPath(folder.absoluteFilePath(entry));
    return QString();
}

}  // namespace

QString pathProblem(const QString &path, FileRole role)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return errno == EACCES ? QStringLiteral("cannot be read: permission denied")
                               : QStringLiteral("is missing");
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

int openRegularFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

DataFileLookup dataFileLookup(const QString &sheetPath)
{
    const QDir dir = QFileInfo(sheetPath).absoluteDir();
    return [dir](const QString &name) {
        DataFileFacts facts;
        QString path = existingVariant(dir, name);
        if (path.isEmpty()) {
            QString portable = name;
            portable.replace(QLatin1Char('\\'), QLatin1Char('/'));
            path = existingVariant(dir, QFileInfo(portable).fileName());
        }
        if (path.isEmpty()) {
            facts.path = QDir::cleanPath(dir.absoluteFilePath(name));
            facts.problem = QStringLiteral("its data file %1 is missing").arg(facts.path);
            return facts;
        }
        facts.path = path;
        const QString problem = pathProblem(path, FileRole::DataFile);
        if (!problem.isEmpty()) {
            facts.problem = QStringLiteral("its data file %1 %2").arg(path, problem);
            return facts;
        }
        facts.size = QFileInfo(path).size();
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
