// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc_source.h"

#include "cd_audio_format.h"
#include "concealment.h"
#include "cue_sheet.h"
#include "drive_access.h"
#include "file_names.h"
#include "image_files.h"
#include "disc_text_reader.h"
#include "problem_report.h"
#include "read_pace.h"
#include "sheet_reader.h"
#include "toc_sheet.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace {

// A disc stamped in two sessions (CD-Extra) has a lead-out, lead-in and
// pregap between its audio and its data: 6750 + 4500 + 150 sectors.
constexpr qint64 kSessionGapSectors = 11400;
constexpr qint64 kModeChangePregap = 150;
constexpr int kParanoiaRetries = 20;
constexpr int kParanoiaCacheSectors = 150;
// How far past a sector that cannot be read a good one is looked for to
// bridge over to: about a seventh of a second.
constexpr qint64 kConcealReach = 10;

void quietLog(cdio_log_level_t, const char *) {}

void installQuietLog()
{
    static const bool installed = [] {
        cdio_log_set_handler(quietLog);
        return true;
    }();
    (void)installed;
}

QString fileIdentity(const QString &path)
{
    struct stat st {};
    if (::stat(fileNameBytes(path).constData(), &st) != 0)
        return QString();
    return QStringLiteral("%1:%2:%3:%4")
        .arg(qulonglong(st.st_ino))
        .arg(qlonglong(st.st_size))
        .arg(qlonglong(st.st_mtim.tv_sec))
        .arg(qlonglong(st.st_mtim.tv_nsec));
}

// What follows the last dot of the file's own name, in lower case.
QString fileSuffix(const QString &path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1).toLower();
}

} // namespace

struct DiscSource::Handles {
    CdIo_t *cdio = nullptr;
    cdrom_drive_t *drive = nullptr;
    cdrom_paranoia_t *paranoia = nullptr;
    DriveAccess *access = nullptr;
    long (*driveRead)(cdrom_drive_t *, void *, lsn_t, long) = nullptr;
    qint64 skippedFrom = -1;  // where paranoia last gave up on a sector
    bool paranoiaUnavailable = false;
};

namespace {

// Paranoia reads and reports through plain function pointers; they reach
// the disc whose read is under way on this thread.
thread_local DiscSource::Handles *t_reading = nullptr;

class ReadingScope {
public:
    explicit ReadingScope(DiscSource::Handles *disc) : m_before(t_reading) { t_reading = disc; }
    ~ReadingScope() { t_reading = m_before; }

private:
    DiscSource::Handles *m_before;
};

long routedDriveRead(cdrom_drive_t *drive, void *buffer, lsn_t begin, long sectors)
{
    DiscSource::Handles *disc = t_reading;
    return disc->access->readAudio(buffer, begin, sectors, [&](void *to, lsn_t from, long count) {
        return disc->driveRead(drive, to, from, count);
    });
}

void paranoiaReport(long offset, paranoia_cb_mode_t mode)
{
    // Offsets count 16-bit samples from the start of the disc.
    if (mode == PARANOIA_CB_SKIP && t_reading)
        t_reading->skippedFrom = offset / (kSectorBytes / 2);
}

} // namespace

DiscSource::~DiscSource()
{
    setReadSpeed(ReadPace::kDriveDefault);
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

std::unique_ptr<DiscSource> DiscSource::open(const QString &requested, ProblemReport *report,
                                             DriveAccess *access)
{
    installQuietLog();
    std::unique_ptr<DiscSource> source(new DiscSource);
    source->m_h = std::make_unique<Handles>();
    source->m_report = report;
    source->m_access = access ? access : &DriveAccess::system();
    source->m_h->access = source->m_access;

    QString path = requested.isEmpty() ? source->m_access->defaultDrive() : requested;
    if (path.isEmpty()) {
        report->say(QStringLiteral("no CD drive found"));
        return nullptr;
    }
    source->m_path = path;

    if (pathIsMissing(path)) {
        report->say(QStringLiteral("%1: no such drive or disc image").arg(path));
        return nullptr;
    }
    const QString problem = pathProblem(path, FileRole::Device);
    if (!problem.isEmpty()) {
        report->say(QStringLiteral("%1 %2").arg(path, problem));
        return nullptr;
    }

    const QByteArray native = fileNameBytes(path);
    const QString suffix = fileSuffix(path);
    const bool sheet = suffix == QLatin1String("cue") || suffix == QLatin1String("toc");
    if (sheet && !source->m_access->isDrive(path))
        return source->openSheet(suffix == QLatin1String("toc")) ? std::move(source) : nullptr;
    CdIo_t *cdio = nullptr;
    if (source->m_access->isDrive(path)) {
        cdio = source->m_access->open(path);
    } else {
        source->m_isImage = true;
        cdio = cdio_open(native.constData(),
                         suffix == QLatin1String("nrg") ? DRIVER_NRG : DRIVER_UNKNOWN);
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

// Cue sheets and toc files are read here rather than by libcdio, whose
// readers take the data from <sheet>.bin whatever the sheet names and
// misplace the tracks of toc files with several files, SILENCE, PREGAP or
// START.
bool DiscSource::openSheet(bool toc)
{
    m_isImage = true;
    QString problem;
    const QByteArray text = readSheetText(m_path, &problem);
    if (!problem.isEmpty()) {
        m_report->say(QStringLiteral("%1 %2").arg(m_path, problem));
        return false;
    }
    const DataFileLookup lookup = dataFileLookup(m_path);
    SheetResult sheet = toc ? readTocFile(text, lookup) : readCueSheet(text, lookup);
    if (!sheet.ok()) {
        m_report->say(QStringLiteral("%1: %2").arg(m_path, sheet.refusal));
        return false;
    }
    if (!sheet.image.textProblem.isEmpty())
        m_report->say(QStringLiteral("%1: %2").arg(m_path, sheet.image.textProblem));
    m_sheet = std::make_unique<SheetReader>(std::move(sheet.image));
    m_toc = m_sheet->toc();
    m_toc.setText(m_sheet->image().text);
    if (!m_toc.hasAudio())
        m_report->say(QStringLiteral("%1: the disc has no audio tracks").arg(m_path));
    rememberImageIdentity();
    return true;
}

// Changes when the image or a data file it names is replaced or removed.
QString DiscSource::imageIdentity() const
{
    QString identity = fileIdentity(m_path);
    if (m_sheet)
        for (const QString &data : m_sheet->image().dataFiles)
            identity += QLatin1Char('|') + fileIdentity(data);
    return identity;
}

void DiscSource::rememberImageIdentity() { m_identity = imageIdentity(); }

bool DiscSource::readToc()
{
    CdIo_t *cdio = m_h->cdio;
    const int count = m_isImage ? int(cdio_get_num_tracks(cdio)) : m_access->trackCount(cdio);
    const track_t first = cdio_get_first_track_num(cdio);
    if (count == CDIO_INVALID_TRACK || count == 0 || first == CDIO_INVALID_TRACK) {
        m_report->say(m_isImage ? QStringLiteral("%1: no tracks in this disc image").arg(m_path)
                                : QStringLiteral("%1: no disc in the drive").arg(m_path));
        return false;
    }
    const qint64 leadout = cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK);
    const lsn_t lastSession = m_isImage ? -1 : m_access->lastSession(cdio);
    const bool multiSession = lastSession > 0;

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

bool DiscSource::openParanoia()
{
    // Set up once: a drive paranoia cannot work with is read plainly.
    if (m_h->paranoiaUnavailable)
        return false;
    m_h->drive = m_access->paranoiaDrive(m_h->cdio);
    if (!m_h->drive || cdio_cddap_open(m_h->drive) != 0) {
        closeParanoia();
        m_h->paranoiaUnavailable = true;
        return false;
    }
    // The open chooses how the drive reads; every read after it is routed.
    m_h->driveRead = m_h->drive->read_audio;
    m_h->drive->read_audio = routedDriveRead;
    m_h->paranoia = cdio_paranoia_init(m_h->drive);
    // Verify and repair, but skip a sector that stays bad instead of
    // retrying without end.
    cdio_paranoia_modeset(m_h->paranoia, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
    // Paranoia reads past the drive's cache before reading again: by default
    // 1200 sectors in one go, 16 s of sound no quiet speed reads within the
    // disc thread's read-ahead. A window its size keeps the bursts short.
    cdio_paranoia_cachemodel_size(m_h->paranoia, kParanoiaCacheSectors);
    m_paranoiaNext = -1;
    return true;
}

bool DiscSource::plainRead(qint64 lsn, char *out)
{
    CdIo_t *cdio = m_h->cdio;
    return m_access->readAudio(out, lsn_t(lsn), 1, [cdio](void *to, lsn_t from, long count) {
        return cdio_read_audio_sectors(cdio, to, from, uint32_t(count)) == DRIVER_OP_SUCCESS ? count : -1L;
    }) == 1;
}

bool DiscSource::readWithParanoia(qint64 lsn, char *out)
{
    ReadingScope reading(m_h.get());
    if (!m_h->paranoia && !openParanoia())
        return false;
    if (lsn != m_paranoiaNext) {
        cdio_paranoia_seek(m_h->paranoia, int32_t(lsn), SEEK_SET);
        m_h->skippedFrom = -1;
    }
    const int16_t *data = cdio_paranoia_read_limited(m_h->paranoia, paranoiaReport, kParanoiaRetries);
    m_paranoiaNext = lsn + 1;
    if (!data)
        return false;
    std::memcpy(out, data, kSectorBytes);
    if (m_h->skippedFrom < 0 || lsn < m_h->skippedFrom)
        return true;
    // Paranoia fills what it gave up on with silence, often a few good
    // sectors around the bad one: those are read again one by one, until
    // it returns sound.
    if (std::any_of(out, out + kSectorBytes, [](char b) { return b != 0; })) {
        m_h->skippedFrom = -1;
        return true;
    }
    return false;
}

bool DiscSource::readSector(qint64 lsn, char *out)
{
    bool ok = false;
    if (m_sheet)
        ok = m_sheet->readSector(lsn, out);
    else if (m_h->cdio && m_isImage)
        ok = cdio_read_audio_sectors(m_h->cdio, out, lsn_t(lsn), 1) == DRIVER_OP_SUCCESS;
    else if (m_h->cdio)
        return readFromDrive(lsn, out);
    if (!ok) {
        std::memset(out, 0, kSectorBytes);
        m_report->say(QStringLiteral("%1: sectors that cannot be read are played as silence").arg(m_path));
    }
    return ok;
}

bool DiscSource::readDriveSector(qint64 lsn, char *out)
{
    return readWithParanoia(lsn, out) || plainRead(lsn, out);
}

bool DiscSource::readFromDrive(qint64 lsn, char *out)
{
    const auto ahead = m_ahead.find(lsn);
    if (ahead != m_ahead.end()) {
        std::memcpy(out, ahead->second.data(), kSectorBytes);
        m_ahead.erase(ahead);
    } else {
        m_ahead.clear();
        if (!readDriveSector(lsn, out))
            conceal(lsn, out);
    }
    handedOut(lsn, out);
    return true;
}

void DiscSource::handedOut(qint64 lsn, const char *sector)
{
    m_lastLsn = lsn;
    std::memcpy(m_lastFrame, sector + kSectorBytes - kBytesPerFrame, kBytesPerFrame);
}

// Paranoia gave up on lsn: the sound goes on the straight line from the
// last frame before it to the first good one after it, as a CD player hides
// a scratch, instead of breaking into silence with a click at both ends.
// Without a good sector within reach the line fades to silence; without the
// frame before (after a seek) it starts level with the one after.
void DiscSource::conceal(qint64 lsn, char *out)
{
    m_report->say(QStringLiteral("%1: sectors that cannot be read are bridged over").arg(m_path));
    const TrackInfo *track = m_toc.trackAt(lsn);
    const qint64 end = std::min(track ? track->endLsn : lsn + 1, lsn + 1 + kConcealReach);
    std::vector<char> after(kSectorBytes, 0);
    qint64 next = lsn + 1;
    while (next < end && !readDriveSector(next, after.data()))
        ++next;
    const bool found = next < end;
    if (!found)
        std::fill(after.begin(), after.end(), 0);
    const char *before = m_lastLsn == lsn - 1 ? m_lastFrame : after.data();
    const qint64 bad = next - lsn;
    std::vector<char> line(size_t(bad * kSectorBytes));
    interpolateFrames(before, after.data(), line.data(), bad * kFramesPerSector);
    std::memcpy(out, line.data(), kSectorBytes);
    for (qint64 i = 1; i < bad; ++i)
        m_ahead[lsn + i].assign(line.begin() + i * kSectorBytes, line.begin() + (i + 1) * kSectorBytes);
    if (found)
        m_ahead[next] = std::move(after);
}

bool DiscSource::commandDrive(bool &refused, const QString &refusal,
                              const std::function<bool(CdIo_t *)> &command)
{
    if (m_isImage || !m_h->cdio || refused)
        return false;
    if (command(m_h->cdio))
        return true;
    refused = true;
    m_report->say(QStringLiteral("%1: %2").arg(m_path, refusal));
    return false;
}

void DiscSource::setReadSpeed(int speed)
{
    // Nothing asked yet, nothing to give back.
    if (speed == m_speed || (m_speed < 0 && speed == ReadPace::kDriveDefault))
        return;
    if (commandDrive(m_speedRefused, QStringLiteral("the drive does not take a read speed; it reads at its own"),
                     [&](CdIo_t *cdio) { return m_access->setSpeed(cdio, speed); }))
        m_speed = speed;
}

void DiscSource::setMotor(bool spinning)
{
    if (spinning != m_resting)
        return;
    if (commandDrive(m_motorRefused, QStringLiteral("the drive's motor cannot be stopped; it keeps turning"),
                     [&](CdIo_t *cdio) { return m_access->setMotor(cdio, spinning); }))
        m_resting = !spinning;
}

bool DiscSource::mediaChanged()
{
    if (m_isImage)
        return imageIdentity() != m_identity;
    return m_h->cdio && m_access->mediaChanged(m_h->cdio) == 1;
}

void DiscSource::eject()
{
    m_sheet.reset();
    setReadSpeed(ReadPace::kDriveDefault);
    closeParanoia();
    if (!m_h->cdio)
        return;
    if (m_isImage) {
        // cdio_eject_media would free an image's internals and leave a
        // handle that crashes when destroyed: just let the image go.
        cdio_destroy(m_h->cdio);
    } else if (!m_access->eject(m_h->cdio)) {
        m_report->say(QStringLiteral("%1: the tray could not be opened").arg(m_path));
    }
    m_h->cdio = nullptr;
}
