// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drive_access.h"

#include <QFile>
#include <QString>

#include <cdio/cdio.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <utility>

// A CD drive made of disc images, read through the same paranoia path as a
// real drive, with a real drive's troubles on demand: sectors that fail,
// reads that hang until let go, an empty tray, a disc changed behind the
// player's back, a tray that will not open. Its path is the first image's.
class ImageDrive : public DriveAccess {
public:
    static constexpr int kAlways = -1;

    explicit ImageDrive(QString image) : m_path(image), m_image(std::move(image)) {}

    QString path() const { return m_path; }

    // Another disc in the tray; the drive reports the change once.
    void insert(const QString &image)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_image = image;
        m_empty = false;
        m_changed = true;
    }
    void takeOut()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_empty = true;
        m_changed = true;
    }
    // Every read that touches lsn fails, the first times reads or always.
    void failSector(lsn_t lsn, int times = kAlways)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_failing[lsn] = times;
    }
    // A read that touches lsn waits until release().
    void holdAt(lsn_t lsn)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_holdAt = lsn;
    }
    void release()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_holdAt = -1;
        }
        m_released.notify_all();
    }
    // Waits until a read is held.
    void waitUntilHeld()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_heldChanged.wait(lock, [this] { return m_holding; });
    }
    void refuseEject() { m_refuseEject = true; }
    void setDefault(const QString &path) { m_default = path; }
    int ejects() const { return m_ejects; }

    QString defaultDrive() override { return m_default; }
    bool isDrive(const QString &path) override { return path == m_path; }
    CdIo_t *open(const QString &) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_changed = false;
        return cdio_open(QFile::encodeName(m_image).constData(), DRIVER_UNKNOWN);
    }
    int trackCount(CdIo_t *cdio) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_empty ? 0 : DriveAccess::trackCount(cdio);
    }
    int mediaChanged(CdIo_t *) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return std::exchange(m_changed, false) ? 1 : 0;
    }
    bool eject(CdIo_t *cdio) override
    {
        cdio_destroy(cdio);
        ++m_ejects;
        if (m_refuseEject)
            return false;
        takeOut();
        return true;
    }
    long readAudio(void *buffer, lsn_t begin, long sectors, const SectorRead &read) override
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        const auto touches = [&](lsn_t lsn) { return lsn >= begin && lsn < begin + sectors; };
        if (touches(m_holdAt)) {
            m_holding = true;
            m_heldChanged.notify_all();
            m_released.wait(lock, [&] { return !touches(m_holdAt); });
            m_holding = false;
        }
        for (auto &[lsn, times] : m_failing) {
            if (touches(lsn) && times != 0) {
                if (times > 0)
                    --times;
                return -1;
            }
        }
        lock.unlock();
        return read(buffer, begin, sectors);
    }

private:
    const QString m_path;
    QString m_image;
    QString m_default;
    std::mutex m_mutex;
    std::condition_variable m_released;
    std::condition_variable m_heldChanged;
    std::map<lsn_t, int> m_failing;
    lsn_t m_holdAt = -1;
    bool m_holding = false;
    bool m_empty = false;
    bool m_changed = false;
    bool m_refuseEject = false;
    int m_ejects = 0;
};
