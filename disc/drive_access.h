// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cdio/types.h>

typedef struct _CdIo CdIo_t;
typedef struct cdrom_drive_s cdrom_drive_t;

#include <functional>

// Every call that reaches a CD drive rather than a file: finding the
// default drive, opening it, asking for its disc, its sessions, its
// media-change flag, opening the tray, its read speed and motor, setting
// paranoia up on it, and reading audio sectors. The system's drives answer
// by default; a test puts a disc image behind it, with faults on demand, so
// that the drive path runs without a drive.
class DriveAccess {
public:
    // Reads sectors from the drive itself: the sectors read, or a negative
    // number on an error.
    using SectorRead = std::function<long(void *buffer, lsn_t begin, long sectors)>;

    virtual ~DriveAccess() = default;

    // The system's drives.
    static DriveAccess &system();

    // The default drive's path; empty when the system has none.
    virtual QString defaultDrive();
    virtual bool isDrive(const QString &path);
    // Null when the drive cannot be opened.
    virtual CdIo_t *open(const QString &path);
    // The tracks on the disc; 0 when the drive holds no disc.
    virtual int trackCount(CdIo_t *cdio);
    // 1 once another disc was put in (or the tray opened), 0 if not,
    // negative when the drive cannot tell.
    virtual int mediaChanged(CdIo_t *cdio);
    // Opens the tray. Takes the handle over in any case.
    virtual bool eject(CdIo_t *cdio);
    // Where the last session starts, on a disc stamped in several (CD-Extra);
    // negative when the drive cannot tell.
    virtual lsn_t lastSession(CdIo_t *cdio);
    // Paranoia's view of the drive; null when it cannot be set up.
    virtual cdrom_drive_t *paranoiaDrive(CdIo_t *cdio);
    // Asks for a read speed in CD speed units (1x: 75 sectors a second);
    // 0: the drive's own choice. False when the drive refuses.
    virtual bool setSpeed(CdIo_t *cdio, int speed);
    // Starts or stops the disc's motor; false when the drive refuses.
    virtual bool setMotor(CdIo_t *cdio, bool spinning);
    // Every audio read goes through here; read is the drive's own.
    virtual long readAudio(void *buffer, lsn_t begin, long sectors, const SectorRead &read);
};
