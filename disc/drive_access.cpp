// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive_access.h"

#include "file_names.h"

#include <cdio/cdio.h>

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

long DriveAccess::readAudio(void *buffer, lsn_t begin, long sectors, const SectorRead &read)
{
    return read(buffer, begin, sectors);
}
