// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc_drive.h"

#include "audio_output.h"
#include "disc_source.h"

#include <cstring>

DiscDrive::DiscDrive(QString path, ProblemReport *report, DriveAccess *access, bool threaded,
                     TocListener listener)
    : m_path(std::move(path)),
      m_report(report),
      m_access(access),
      m_listener(std::move(listener)),
      m_threaded(threaded)
{
    if (m_threaded)
        m_thread = std::thread([this] { run(); });
}

DiscDrive::~DiscDrive()
{
    if (m_thread.joinable()) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_quit = true;
        }
        m_readerWake.notify_all();
        m_dataReady.notify_all();
        m_thread.join();
    }
}

void DiscDrive::requestOpen() { perform(Request::Open); }
void DiscDrive::requestEject() { perform(Request::Eject); }
void DiscDrive::requestClose() { perform(Request::Close); }

void DiscDrive::requestMediaCheck(qint64 nowMs)
{
    bool rest = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        rest = m_pace.restDue(nowMs);
    }
    perform(Request::MediaCheck);
    if (rest)
        perform(Request::Rest);
}

void DiscDrive::setListening(bool playing, qint64 nowMs)
{
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (playing == m_listening)
            return;
        m_listening = playing;
        wake = m_pace.listening(playing, nowMs);
    }
    if (wake)
        perform(Request::Wake);
}

void DiscDrive::watch(qint64 nowMs)
{
    if (!m_threaded)
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_watching = true;
        m_watchFromMs = nowMs;
        m_watchStart = std::chrono::steady_clock::now();
    }
    m_readerWake.notify_all();
}

void DiscDrive::endWatch()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_watching = false;
}

void DiscDrive::perform(Request request)
{
    if (!m_threaded) {
        carryOut(request);
        return;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    // A drive that answers slowly must not pile up repeated opens and
    // checks; a request differing from the last one queued always counts.
    if (!m_requests.empty() && m_requests.back() == request)
        return;
    m_requests.push_back(request);
    m_readerWake.notify_all();
}

void DiscDrive::carryOut(Request request)
{
    bool changed = false;
    bool ejected = false;
    switch (request) {
    case Request::Open:
    case Request::Look: {
        const bool opened = !m_source && (m_source = DiscSource::open(m_path, m_report, m_access));
        // An open is always answered, found or not, so that the next open
        // is tried; a look (nobody waits for it) only when a disc has come.
        changed = request == Request::Open || opened;
        break;
    }
    case Request::Eject:
        if (m_source)
            m_source->eject();
        changed = ejected = true;
        m_source.reset();
        break;
    case Request::Close:
        changed = m_source != nullptr;
        m_source.reset();
        break;
    case Request::MediaCheck:
        if (m_source && m_source->mediaChanged()) {
            m_source.reset();
            changed = true;
        }
        break;
    case Request::Rest:
    case Request::Wake:
        if (m_source)
            m_source->setMotor(request == Request::Wake);
        break;
    }
    if (!changed)
        return;
    auto toc = m_source ? std::make_shared<const DiscToc>(m_source->toc()) : nullptr;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_toc = toc;
        // Another disc, or none: its drive turns as it was left.
        m_pace = ReadPace(kReadAheadSectors);
        m_listening = false;
        clearRing(0);
    }
    m_dataReady.notify_all();
    m_listener(toc, ejected);
}

void DiscDrive::clearRing(qint64 start)
{
    m_ring.clear();
    m_ringStart = start;
    ++m_ringGeneration;
    m_pace.restart();
}

bool DiscDrive::isAudio(qint64 lsn) const
{
    const TrackInfo *track = m_toc ? m_toc->trackAt(lsn) : nullptr;
    return track && track->audio && lsn >= track->startLsn && lsn < track->endLsn;
}

bool DiscDrive::wantsFill() const
{
    return m_filling && int(m_ring.size()) < kReadAheadSectors
           && isAudio(m_ringStart + qint64(m_ring.size()));
}

// False when the watch's time has come with nothing else to do.
bool DiscDrive::waitForWork(std::unique_lock<std::mutex> &lock)
{
    const auto hasWork = [this] { return m_quit || !m_requests.empty() || wantsFill(); };
    if (!m_watching) {
        m_readerWake.wait(lock, [&] { return hasWork() || m_watching; });
        return true;
    }
    return m_readerWake.wait_for(lock, std::chrono::milliseconds(kWatchMs), hasWork);
}

void DiscDrive::lookAtDrive(std::unique_lock<std::mutex> &lock)
{
    const auto watched = std::chrono::steady_clock::now() - m_watchStart;
    const qint64 nowMs = m_watchFromMs + std::chrono::duration_cast<std::chrono::milliseconds>(watched).count();
    lock.unlock();
    look(nowMs);
    lock.lock();
}

// The same checks the player makes while awake: a disc that has come is
// opened, one that has gone is let go, a drive nobody listens to rests.
void DiscDrive::look(qint64 nowMs)
{
    bool rest = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        rest = m_pace.restDue(nowMs);
    }
    carryOut(m_source ? Request::MediaCheck : Request::Look);
    if (rest)
        carryOut(Request::Rest);
}

void DiscDrive::run()
{
    std::vector<char> sector(kSectorBytes);
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_quit) {
        if (!waitForWork(lock)) {
            lookAtDrive(lock);
            continue;
        }
        if (m_quit)
            break;
        if (!m_requests.empty()) {
            const Request request = m_requests.front();
            m_requests.pop_front();
            lock.unlock();
            carryOut(request);
            lock.lock();
            continue;
        }
        if (wantsFill())
            readAhead(lock, sector);
    }
    // The drive is given back (at its own speed) here, not on the thread
    // that ends the player.
    lock.unlock();
    m_source.reset();
}

void DiscDrive::readAhead(std::unique_lock<std::mutex> &lock, std::vector<char> &sector)
{
    const qint64 lsn = m_ringStart + qint64(m_ring.size());
    const quint64 generation = m_ringGeneration;
    const int speed = m_pace.speed();
    lock.unlock();
    m_source->setReadSpeed(speed);
    m_source->readSector(lsn, sector.data());
    lock.lock();
    if (generation != m_ringGeneration)
        return;
    m_ring.push_back(sector);
    m_pace.sawLevel(int(m_ring.size()));
    if (int(m_ring.size()) >= kReadAheadSectors)
        m_filling = false;
    m_dataReady.notify_all();
    // Full, the drive slows down now rather than at the next refill.
    const int next = m_pace.speed();
    if (next != speed) {
        lock.unlock();
        m_source->setReadSpeed(next);
        lock.lock();
    }
}

DiscDrive::SectorRead DiscDrive::readSector(qint64 lsn, char *out, bool wait)
{
    if (!m_threaded) {
        if (m_source && m_source->readSector(lsn, out))
            return SectorRead::Read;
        std::memset(out, 0, kSectorBytes);
        return SectorRead::Silence;
    }

    std::unique_lock<std::mutex> lock(m_mutex);
    const quint64 interrupts = m_interrupts;
    for (;;) {
        if (interrupts != m_interrupts)
            return SectorRead::Interrupted;
        if (!isAudio(lsn) || m_quit) {
            std::memset(out, 0, kSectorBytes);
            return SectorRead::Silence;
        }
        const qint64 offset = lsn - m_ringStart;
        if (offset >= 0 && offset < qint64(m_ring.size())) {
            for (qint64 i = 0; i < offset; ++i)
                m_ring.pop_front();
            m_ringStart = lsn;
            m_pace.sawLevel(int(m_ring.size()));
            std::memcpy(out, m_ring.front().data(), kSectorBytes);
            // Refill in batches: wake the reader only when a share is gone.
            if (int(m_ring.size()) < m_pace.refillBelow() && !m_filling) {
                m_filling = true;
                m_readerWake.notify_all();
            }
            return SectorRead::Read;
        }
        if (offset < 0 || offset >= kReadAheadSectors)
            clearRing(lsn);
        if (!m_filling) {
            m_filling = true;
            m_readerWake.notify_all();
        }
        if (!wait)
            return SectorRead::NotYet;
        m_dataReady.wait(lock);
    }
}

void DiscDrive::interruptRead()
{
    if (!m_threaded)
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_interrupts;
    }
    m_dataReady.notify_all();
}
