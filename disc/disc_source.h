// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// disc/: what is on a disc and how it is read. Tables of contents, drives
// through libcdio and paranoia and the pace they read at, cue and toc
// sheets, .nrg and .bin images, CD-Text. Uses base/ only; knows nothing of
// sound or of the player.

#include "cd_audio_format.h"
#include "disc_toc.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class DriveAccess;
typedef struct _CdIo CdIo_t;
class ProblemReport;
class SheetReader;

// One opened disc: a CD drive or a disc image read through libcdio. Not
// thread-safe: the disc thread owns it. Reads never retry without end: a
// sector of a drive that cannot be read is bridged over from the sound
// around it, one of an image comes back as silence; either is reported.
// A drive is given back at its own read speed.
class DiscSource {
public:
    // Opens the drive or image at path (empty: the system's default drive).
    // Returns null, having said why, when there is nothing to play. Drives
    // are reached through access (null: the system's).
    static std::unique_ptr<DiscSource> open(const QString &path, ProblemReport *report,
                                            DriveAccess *access = nullptr);
    ~DiscSource();

    const DiscToc &toc() const { return m_toc; }
    bool isImage() const { return m_isImage; }

    // Reads one 2352-byte audio sector; false (and silence in out) when it
    // could not be read nor bridged over.
    bool readSector(qint64 lsn, char *out);

    // A drive's read speed (ReadPace's units) and motor; images have
    // neither. What the drive refuses is said once and not asked again.
    void setReadSpeed(int speed);
    void setMotor(bool spinning);

    // True once the disc is no longer the one that was opened: the image
    // file vanished or was replaced, or the drive reports a media change.
    bool mediaChanged();

    // Drives open their tray; images are only released.
    void eject();

    struct Handles;  // libcdio's, known only to the source's own code

private:
    DiscSource() = default;
    bool readToc();
    bool openParanoia();
    bool readWithParanoia(qint64 lsn, char *out);
    bool plainRead(qint64 lsn, char *out);
    bool readFromDrive(qint64 lsn, char *out);
    bool readDriveSector(qint64 lsn, char *out);
    void conceal(qint64 lsn, char *out);
    void handedOut(qint64 lsn, const char *sector);
    bool commandDrive(bool &refused, const QString &refusal, const std::function<bool(CdIo_t *)> &command);
    void closeParanoia();
    void rememberImageIdentity();
    bool openSheet(bool toc);
    QString imageIdentity() const;

    std::unique_ptr<Handles> m_h;
    std::unique_ptr<SheetReader> m_sheet;  // a cue sheet or toc file
    ProblemReport *m_report = nullptr;
    DriveAccess *m_access = nullptr;
    DiscToc m_toc;
    bool m_isImage = false;
    QString m_path;
    QString m_identity;
    qint64 m_paranoiaNext = -1;

    int m_speed = -1;  // none asked for
    bool m_speedRefused = false;
    bool m_resting = false;
    bool m_motorRefused = false;
    // Sectors read or bridged over ahead while concealing, not yet asked for.
    std::map<qint64, std::vector<char>> m_ahead;
    qint64 m_lastLsn = -1;  // the sector last handed out
    char m_lastFrame[kBytesPerFrame] = {};
};
