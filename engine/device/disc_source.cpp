#include "disc_source.h"

#include "audio_output.h"
#include "disc_text_reader.h"
#include "problem_report.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <sys/stat.h>

#include <cstring>

namespace {

// A disc stamped in two sessions (CD-Extra) has a lead-out, lead-in and
// pregap between its audio and its data: 6750 + 4500 + 150 sectors.
constexpr qint64 kSessionGapSectors = 11400;
constexpr qint64 kModeChangePregap = 150;
constexpr int kParanoiaRetries = 20;

void quietLog(cdio_log_level_t, const char *) {}

void installQuietLog()
{
    static const bool installed = [] {
        cdio_log_set_handler(quietLog);
        return true;
    }();
    (void)installed;
}

bool isBlockDevice(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISBLK(st.st_mode);
}

QString fileIdentity(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return QString();
    return QStringLiteral("%1:%2:%3:%4")
        .arg(qulonglong(st.st_ino))
        .arg(qlonglong(st.st_size))
        .arg(qlonglong(st.st_mtim.tv_sec))
        .arg(qlonglong(st.st_mtim.tv_nsec));
}

// The data files a cue sheet names, resolved against its folder.
QStringList cueDataFiles(const QString &cuePath)
{
    QFile file(cuePath);
    if (!file.open(QIODevice::ReadOnly) || file.size() > (1 << 20))
        return {};
    static const QRegularExpression fileLine(
        QStringLiteral("^\\s*FILE\\s+(?:\"([^\"]+)\"|(\\S+))"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
    const QString text = QString::fromUtf8(file.readAll());
    const QDir dir = QFileInfo(cuePath).absoluteDir();
    QStringList names;
    for (auto it = fileLine.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        const QString name = m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
        names << QDir::cleanPath(dir.absoluteFilePath(name));
    }
    return names;
}

// Changes when the image or the data file it names is replaced or removed.
QString imageIdentity(const QString &path)
{
    QString identity = fileIdentity(path);
    for (const QString &data : cueDataFiles(path))
        identity += QLatin1Char('|') + fileIdentity(data);
    return identity;
}

} // namespace

struct DiscSource::Handles {
    CdIo_t *cdio = nullptr;
    cdrom_drive_t *drive = nullptr;
    cdrom_paranoia_t *paranoia = nullptr;
};

DiscSource::~DiscSource()
{
    closeParanoia();
    if (m_h && m_h->cdio)
        cdio_destroy(m_h->cdio);
}

void DiscSource::closeParanoia()
{
    if (!m_h)
        return;
    if (m_h->paranoia)
        cdio_paranoia_free(m_h->paranoia);
    if (m_h->drive)
        cdio_cddap_close_no_free_cdio(m_h->drive);
    m_h->paranoia = nullptr;
    m_h->drive = nullptr;
}

std::unique_ptr<DiscSource> DiscSource::open(const QString &requested, ProblemReport *report)
{
    installQuietLog();
    std::unique_ptr<DiscSource> source(new DiscSource);
    source->m_h = std::make_unique<Handles>();
    source->m_report = report;

    QString path = requested;
    if (path.isEmpty()) {
        char *drive = cdio_get_default_device(nullptr);
        if (!drive) {
            report->say(QStringLiteral("no CD drive found"));
            return nullptr;
        }
        path = QString::fromLocal8Bit(drive);
        free(drive);
    }
    source->m_path = path;

    if (!QFileInfo::exists(path)) {
        report->say(QStringLiteral("%1: no such drive or disc image").arg(path));
        return nullptr;
    }

    const QByteArray native = QFile::encodeName(path);
    const QString suffix = QFileInfo(path).suffix().toLower();
    CdIo_t *cdio = nullptr;
    if (isBlockDevice(path)) {
        cdio = cdio_open(native.constData(), DRIVER_DEVICE);
    } else if (suffix == QLatin1String("cue")) {
        source->m_isImage = true;
        const QStringList files = cueDataFiles(path);
        if (!files.isEmpty() && !QFileInfo::exists(files.first())) {
            report->say(QStringLiteral("%1: its data file %2 is missing").arg(path, files.first()));
            return nullptr;
        }
        const QString sheet = source->cueWithAgreeingName(path, files);
        cdio = cdio_open_cue(QFile::encodeName(sheet).constData());
    } else if (suffix == QLatin1String("toc")) {
        source->m_isImage = true;
        const QString sheet = source->tocWithAbsolutePaths(path);
        cdio = cdio_open(QFile::encodeName(sheet).constData(), DRIVER_CDRDAO);
    } else if (suffix == QLatin1String("nrg")) {
        source->m_isImage = true;
        cdio = cdio_open(native.constData(), DRIVER_NRG);
    } else {
        source->m_isImage = true;
        cdio = cdio_open(native.constData(), DRIVER_UNKNOWN);
    }

    if (!cdio) {
        report->say(QStringLiteral("%1: not a CD drive or a disc image that can be read").arg(path));
        return nullptr;
    }
    source->m_h->cdio = cdio;
    if (!source->readToc())
        return nullptr;
    if (source->m_isImage)
        source->rememberImageIdentity();
    return source;
}

// A copy of a cue sheet or toc file in a private folder, with its data file
// lines rewritten; the original when that cannot be made.
QString DiscSource::rewrittenSheet(const QString &path, const QString &name,
                                   const std::function<QString(QString)> &rewrite)
{
    auto dir = std::make_unique<QTemporaryDir>();
    QFile original(path);
    if (!dir->isValid() || !original.open(QIODevice::ReadOnly) || original.size() > (1 << 20))
        return path;
    QFile copy(dir->filePath(name));
    if (!copy.open(QIODevice::WriteOnly))
        return path;
    copy.write(rewrite(QString::fromUtf8(original.readAll())).toUtf8());
    copy.close();
    m_sheetCopy = std::move(dir);
    return copy.fileName();
}

// libcdio reads the data of <name>.cue from <name>.bin whatever the sheet
// names; give it a sheet and a link whose names agree.
QString DiscSource::cueWithAgreeingName(const QString &path, const QStringList &files)
{
    const QFileInfo info(path);
    const QString expected = info.absolutePath() + QLatin1Char('/') + info.completeBaseName()
                             + QStringLiteral(".bin");
    if (files.size() != 1 || QDir::cleanPath(files.first()) == QDir::cleanPath(expected))
        return path;
    const QString sheet = rewrittenSheet(path, QStringLiteral("disc.cue"), [](QString text) {
        static const QRegularExpression fileLine(
            QStringLiteral("^(\\s*FILE\\s+)(?:\"[^\"]+\"|\\S+)"),
            QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
        return text.replace(fileLine, QStringLiteral("\\1\"disc.bin\""));
    });
    if (sheet == path || !QFile::link(files.first(), m_sheetCopy->filePath(QStringLiteral("disc.bin"))))
        return path;
    return sheet;
}

// libcdio opens the data files a toc file names relative to the current
// folder, not the toc's own: name them absolutely.
QString DiscSource::tocWithAbsolutePaths(const QString &path)
{
    const QDir dir = QFileInfo(path).absoluteDir();
    return rewrittenSheet(path, QStringLiteral("disc.toc"), [dir](const QString &text) {
        static const QRegularExpression fileLine(
            QStringLiteral("^(\\s*(?:FILE|DATAFILE|AUDIOFILE)\\s+)\"([^\"]+)\""),
            QRegularExpression::MultilineOption);
        QString out;
        qsizetype last = 0;
        for (auto it = fileLine.globalMatch(text); it.hasNext();) {
            const auto m = it.next();
            out += text.mid(last, m.capturedStart() - last) + m.captured(1) + QLatin1Char('"')
                   + QDir::cleanPath(dir.absoluteFilePath(m.captured(2))) + QLatin1Char('"');
            last = m.capturedEnd();
        }
        return out + text.mid(last);
    });
}

void DiscSource::rememberImageIdentity() { m_identity = imageIdentity(m_path); }

bool DiscSource::readToc()
{
    CdIo_t *cdio = m_h->cdio;
    const track_t count = cdio_get_num_tracks(cdio);
    const track_t first = cdio_get_first_track_num(cdio);
    if (count == CDIO_INVALID_TRACK || count == 0 || first == CDIO_INVALID_TRACK) {
        m_report->say(m_isImage ? QStringLiteral("%1: no tracks in this disc image").arg(m_path)
                                : QStringLiteral("%1: no disc in the drive").arg(m_path));
        return false;
    }
    const qint64 leadout = cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK);
    lsn_t lastSession = 0;
    const bool multiSession = !m_isImage
                              && cdio_get_last_session(cdio, &lastSession) == DRIVER_OP_SUCCESS
                              && lastSession > 0;

    std::vector<TrackInfo> tracks;
    for (int n = first; n < first + count; ++n) {
        TrackInfo t;
        t.number = n;
        t.startLsn = cdio_get_track_lsn(cdio, track_t(n));
        t.audio = cdio_get_track_format(cdio, track_t(n)) == TRACK_FORMAT_AUDIO;
        tracks.push_back(t);
    }
    bool cut = false;
    for (size_t i = 0; i < tracks.size(); ++i) {
        TrackInfo &t = tracks[i];
        qint64 end = i + 1 < tracks.size() ? tracks[i + 1].startLsn : leadout;
        if (t.audio && i + 1 < tracks.size() && !tracks[i + 1].audio) {
            // The sound ends before the data track's pregap, which holds data.
            const qint64 pregap = cdio_get_track_pregap_lsn(cdio, track_t(tracks[i + 1].number));
            if (pregap != CDIO_INVALID_LSN && pregap > t.startLsn && pregap < end)
                end = pregap;
            else if (multiSession && end == lastSession && end - kSessionGapSectors > t.startLsn)
                end -= kSessionGapSectors;
            else if (!m_isImage && end - kModeChangePregap > t.startLsn)
                end -= kModeChangePregap;
        }
        if (leadout > 0 && end > leadout) {
            end = leadout;
            cut = true;
        }
        if (t.startLsn >= leadout)
            cut = true;
        t.endLsn = end;
    }
    m_toc = DiscToc(std::move(tracks));
    m_toc.setText(readDiscText(cdio, first, first + count - 1));
    if (cut)
        m_report->say(QStringLiteral("%1: the disc image is shorter than its table of contents says;"
                                     " what is missing stays silent")
                          .arg(m_path));
    if (!m_toc.hasAudio())
        m_report->say(QStringLiteral("%1: the disc has no audio tracks").arg(m_path));
    return true;
}

bool DiscSource::readWithParanoia(qint64 lsn, char *out)
{
    if (!m_h->paranoia) {
        m_h->drive = cdio_cddap_identify_cdio(m_h->cdio, CDDA_MESSAGE_FORGETIT, nullptr);
        if (!m_h->drive || cdio_cddap_open(m_h->drive) != 0) {
            closeParanoia();
            return false;
        }
        m_h->paranoia = cdio_paranoia_init(m_h->drive);
        // Verify and repair, but skip a sector that stays bad instead of
        // retrying without end.
        cdio_paranoia_modeset(m_h->paranoia, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
        m_paranoiaNext = -1;
    }
    if (lsn != m_paranoiaNext)
        cdio_paranoia_seek(m_h->paranoia, int32_t(lsn), SEEK_SET);
    int16_t *data = cdio_paranoia_read_limited(m_h->paranoia, nullptr, kParanoiaRetries);
    m_paranoiaNext = lsn + 1;
    if (!data)
        return false;
    std::memcpy(out, data, kSectorBytes);
    return true;
}

bool DiscSource::readSector(qint64 lsn, char *out)
{
    bool ok = false;
    if (m_h->cdio) {
        if (m_isImage)
            ok = cdio_read_audio_sectors(m_h->cdio, out, lsn_t(lsn), 1) == DRIVER_OP_SUCCESS;
        else
            ok = readWithParanoia(lsn, out)
                 || cdio_read_audio_sectors(m_h->cdio, out, lsn_t(lsn), 1) == DRIVER_OP_SUCCESS;
    }
    if (!ok) {
        std::memset(out, 0, kSectorBytes);
        m_report->say(QStringLiteral("%1: sectors that cannot be read are played as silence").arg(m_path));
    }
    return ok;
}

bool DiscSource::mediaChanged()
{
    if (m_isImage)
        return imageIdentity(m_path) != m_identity;
    return m_h->cdio && cdio_get_media_changed(m_h->cdio) == 1;
}

void DiscSource::eject()
{
    closeParanoia();
    if (!m_h->cdio)
        return;
    if (m_isImage) {
        // cdio_eject_media would free an image's internals and leave a
        // handle that crashes when destroyed: just let the image go.
        cdio_destroy(m_h->cdio);
    } else if (cdio_eject_media(&m_h->cdio) != DRIVER_OP_SUCCESS && m_h->cdio) {
        cdio_destroy(m_h->cdio);
    }
    m_h->cdio = nullptr;
}
