// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive_access.h"

#include "file_names.h"

#include <cdio/cdio.h>
#include <cdio/mmc_cmds.h>
#include <cdio/paranoia/cdda.h>

#include <sys/stat.h>

#include <cstdlib>

DriveAccess &DriveAccess::system()
{
    static DriveAccess drives;
    return drives;
}

QString DriveAccess::defaultDrive()
{
    char *drive = cdio_get_default_device(nullptr);
    if (!drive)
        return QString();
    const QString path = fileNameFromBytes(drive);
    std::free(drive);
    return path;
}

bool DriveAccess::isDrive(const QString &path)
{
    struct stat st {};
    return ::stat(fileNameBytes(path).constData(), &st) == 0 && S_ISBLK(st.st_mode);
}

CdIo_t *DriveAccess::open(const QString &path)
{
    return cdio_open(fileNameBytes(path).constData(), DRIVER_DEVICE);
}

int DriveAccess::trackCount(CdIo_t *cdio)
{
    const track_t count = cdio_get_num_tracks(cdio);
    return count == CDIO_INVALID_TRACK ? 0 : int(count);
}

int DriveAccess::mediaChanged(CdIo_t *cdio) { return cdio_get_media_changed(cdio); }

bool DriveAccess::eject(CdIo_t *cdio)
{
    // cdio_eject_media frees the handle when it succeeds.
    if (cdio_eject_media(&cdio) == DRIVER_OP_SUCCESS && !cdio)
        return true;
    if (cdio)
        cdio_destroy(cdio);
    return false;
}

lsn_t DriveAccess::lastSession(CdIo_t *cdio)
{
    lsn_t session = 0;
    return cdio_get_last_session(cdio, &session) == DRIVER_OP_SUCCESS ? session : -1;
}

cdrom_drive_t *DriveAccess::paranoiaDrive(CdIo_t *cdio)
{
    return cdio_cddap_identify_cdio(cdio, CDDA_MESSAGE_FORGETIT, nullptr);
}

namespace {

// SET CD SPEED counts kilobytes a second: 1x of raw audio is 176; all ones
// asks for the drive's own speed.
constexpr int kKilobytesPerSpeed = 176;
constexpr int kDriveOwnKilobytes = 0xFFFF;
// START STOP UNIT's power conditions: standby stops the spindle.
constexpr uint8_t kPowerActive = 1;
constexpr uint8_t kPowerStandby = 3;

} // namespace

bool DriveAccess::setSpeed(CdIo_t *cdio, int speed)
{
    const int kilobytes = speed > 0 ? speed * kKilobytesPerSpeed : kDriveOwnKilobytes;
    if (mmc_set_speed(cdio, kilobytes, 0) >= DRIVER_OP_SUCCESS)
        return true;
    // Without MMC passthrough the kernel's speed selection, the one
    // paranoia's speed setting uses, may still be there (0: the top speed).
    return cdio_set_speed(cdio, speed) == DRIVER_OP_SUCCESS;
}

bool DriveAccess::setMotor(CdIo_t *cdio, bool spinning)
{
    // A stop returns at once; a start only once the disc is up to speed, so
    // that the read after it is not refused as "becoming ready".
    return mmc_start_stop_unit(cdio, false, !spinning, spinning ? kPowerActive : kPowerStandby, 0)
           == DRIVER_OP_SUCCESS;
}

long DriveAccess::readAudio(void *buffer, lsn_t begin, long sectors, const SectorRead &read)
{
    return read(buffer, begin, sectors);
}
