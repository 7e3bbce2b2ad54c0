// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "disc_toc.h"
#include "read_pace.h"

#include <QString>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class DiscSource;
class DriveAccess;
class ProblemReport;

// Owns the opened disc and reads it ahead of the sound. With a thread, the
// opens, ejects and media checks run on it (a drive may take seconds to
// answer) and about two seconds of sectors are kept ahead of the reader, at
// the pace ReadPace sets; without one, everything runs inline on the
// caller's thread (manual clock). Either way a drive nobody listens to is
// let rest, and woken when someone does.
class DiscDrive {
public:
    // Called with the new table of contents after an open (null when there
    // is no disc any more), on the disc thread or inline.
    using TocListener = std::function<void(std::shared_ptr<const DiscToc>, bool ejected)>;

    DiscDrive(QString path, ProblemReport *report, DriveAccess *access, bool threaded,
              TocListener listener);
    ~DiscDrive();

    void requestOpen();
    void requestEject();
    void requestClose();
    // Also the disc thread's sense of time passing: nowMs is the player's
    // clock, which only its own thread may read.
    void requestMediaCheck(qint64 nowMs);
    // Whether the sound is playing, from whichever thread changes it.
    void setListening(bool playing, qint64 nowMs);
    // While the player rests, the disc thread looks at the drive by itself
    // every kWatchMs: it opens a disc that has come, notices one that has
    // gone, and lets a drive nobody listens to rest, telling the listener
    // only of a change. nowMs is the player's clock at the start, which the
    // watch carries on at the steady clock's pace. Inline (no thread), the
    // caller looks every kWatchMs instead.
    void watch(qint64 nowMs);
    void endWatch();
    void look(qint64 nowMs);

    enum class SectorRead { Read, Silence, NotYet, Interrupted };
    // Reads one audio sector for the sound: silence when it cannot be had
    // (no disc, unreadable); Interrupted, with nothing written, when
    // interruptRead() came while waiting. Without wait a sector the disc
    // thread has not read yet is NotYet instead of waited for.
    SectorRead readSector(qint64 lsn, char *out, bool wait = true);
    // Makes a read that waits for the drive give up, so a new command is not
    // held up by a slow sector.
    void interruptRead();

    static constexpr int kReadAheadSectors = 150;
    static constexpr int kWatchMs = 500;

private:
    enum class Request { Open, Look, Eject, Close, MediaCheck, Rest, Wake };
    void perform(Request request);
    void carryOut(Request request);
    bool isAudio(qint64 lsn) const;
    void run();
    bool wantsFill() const;
    void clearRing(qint64 start);
    void readAhead(std::unique_lock<std::mutex> &lock, std::vector<char> &sector);
    void lookAtDrive(std::unique_lock<std::mutex> &lock);
    bool waitForWork(std::unique_lock<std::mutex> &lock);

    QString m_path;
    ProblemReport *m_report;
    DriveAccess *m_access;
    TocListener m_listener;
    bool m_threaded;

    std::unique_ptr<DiscSource> m_source;  // touched only by the disc thread (or inline)

    mutable std::mutex m_mutex;
    std::condition_variable m_readerWake;
    std::condition_variable m_dataReady;
    std::deque<Request> m_requests;
    std::shared_ptr<const DiscToc> m_toc;  // of m_source, for the read-ahead
    std::deque<std::vector<char>> m_ring;
    ReadPace m_pace{kReadAheadSectors};
    bool m_listening = false;
    qint64 m_ringStart = 0;
    quint64 m_ringGeneration = 0;
    quint64 m_interrupts = 0;
    bool m_filling = false;
    bool m_watching = false;
    qint64 m_watchFromMs = 0;  // the player's clock when the watch began
    std::chrono::steady_clock::time_point m_watchStart;
    bool m_quit = false;
    std::thread m_thread;
};
