// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drive_access.h"

#include <QFile>
#include <QString>

#include <cdio/cdio.h>
#include <cdio/paranoia/cdda.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

// A drive's mechanics in model time: a read takes its sectors at the speed
// asked for (the drive's own choice: its top speed) and, after the motor
// stopped, a spin-up first. Some drives stop by themselves after a while
// without a read.
struct DriveModel {
    int topSpeed = 24;
    qint64 spinUpUs = 1500000;
    qint64 selfStopAfterUs = 0;  // 0: never
    double slowdown = 1;         // a worn disc: every read takes this many times longer
};

// A CD drive made of disc images, read through the same paranoia path as a
// real drive, with a real drive's troubles on demand: sectors that fail,
// reads that hang until let go, an empty tray, a disc changed behind the
// player's back, a tray that will not open, refused speed and motor
// commands, paranoia that cannot be set up, a motor that takes until
// release() to spin up; and a second session where asked. Every speed and
// motor command is kept, and reads cost model time (DriveModel). Its path
// is the first image's.
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
            m_holdSpinUp = false;
        }
        m_released.notify_all();
    }
    // Waits until a read is held.
    void waitUntilHeld()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_heldChanged.wait(lock, [this] { return m_holding; });
    }
    // The next spin-up waits until release().
    void holdSpinUp()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_holdSpinUp = true;
    }
    void refuseEject() { m_refuseEject = true; }
    void refuseSpeed() { m_refuseSpeed = true; }
    void refuseMotor() { m_refuseMotor = true; }
    void refuseParanoia() { m_refuseParanoia = true; }
    void setLastSession(lsn_t lsn) { m_lastSession = lsn; }
    void setModel(const DriveModel &model) { m_model = model; }
    const DriveModel &model() const { return m_model; }
    std::vector<int> speeds()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_speeds;
    }
    std::vector<bool> motorCommands()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_motor;
    }

    // Model time: where it stands (reads move it on; paranoia reads ahead,
    // so some sectors cost nothing), how long the spindle turned at each
    // speed, how often it spun up.
    void setModelTime(qint64 us)
    {
        turnUntil(us);
        m_nowUs = us;
    }
    qint64 modelTime() const { return m_nowUs; }
    const std::map<int, qint64> &usAtSpeed() const { return m_usAtSpeed; }
    int spinUps() const { return m_spinUps; }
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
    lsn_t lastSession(CdIo_t *cdio) override
    {
        return m_lastSession >= 0 ? m_lastSession : DriveAccess::lastSession(cdio);
    }
    cdrom_drive_t *paranoiaDrive(CdIo_t *cdio) override
    {
        return m_refuseParanoia ? nullptr : DriveAccess::paranoiaDrive(cdio);
    }
    bool setSpeed(CdIo_t *, int speed) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_speeds.push_back(speed);
        if (!m_refuseSpeed)
            m_speed = speed;
        return !m_refuseSpeed;
    }
    bool setMotor(CdIo_t *, bool spinning) override
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_motor.push_back(spinning);
        if (m_refuseMotor)
            return false;
        if (spinning && m_holdSpinUp) {
            holdUntilReleased(lock, [this] { return !m_holdSpinUp; });
            spinUp();
        }
        m_spinning = spinning;
        return true;
    }
    long readAudio(void *buffer, lsn_t begin, long sectors, const SectorRead &read) override
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        modelRead(sectors);
        const auto touches = [&](lsn_t lsn) { return lsn >= begin && lsn < begin + sectors; };
        if (touches(m_holdAt))
            holdUntilReleased(lock, [&] { return !touches(m_holdAt); });
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
    template <typename Released>
    void holdUntilReleased(std::unique_lock<std::mutex> &lock, Released released)
    {
        m_holding = true;
        m_heldChanged.notify_all();
        m_released.wait(lock, released);
        m_holding = false;
    }
    void spinUp()
    {
        ++m_spinUps;
        m_nowUs += m_model.spinUpUs;
        m_spinning = true;
    }
    int modelSpeed() const { return m_speed > 0 ? std::min(m_speed, m_model.topSpeed) : m_model.topSpeed; }
    // The spindle turns at the speed set from the last read on, unless the
    // drive stops it by itself.
    void turnUntil(qint64 us)
    {
        qint64 until = us;
        if (m_model.selfStopAfterUs > 0 && us - m_nowUs >= m_model.selfStopAfterUs) {
            until = m_nowUs + m_model.selfStopAfterUs;
            if (m_spinning)
                m_usAtSpeed[modelSpeed()] += until - m_nowUs;
            m_spinning = false;
            return;
        }
        if (m_spinning)
            m_usAtSpeed[modelSpeed()] += until - m_nowUs;
    }
    void modelRead(long sectors)
    {
        if (!m_spinning)
            spinUp();
        const qint64 readUs = qint64(double(sectors) * 1e6 * m_model.slowdown / (75.0 * modelSpeed()));
        m_usAtSpeed[modelSpeed()] += readUs;
        m_nowUs += readUs;
    }

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
    bool m_refuseSpeed = false;
    bool m_refuseMotor = false;
    bool m_refuseParanoia = false;
    bool m_holdSpinUp = false;
    lsn_t m_lastSession = -1;
    int m_ejects = 0;
    std::vector<int> m_speeds;
    std::vector<bool> m_motor;
    DriveModel m_model;
    int m_speed = 0;
    bool m_spinning = true;
    qint64 m_nowUs = 0;
    std::map<int, qint64> m_usAtSpeed;
    int m_spinUps = 0;
};
