// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback_engine.h"

#include "clock.h"
#include "disc_drive.h"
#include "pulse_output.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <pthread.h>

namespace {

constexpr qint64 kReconnectIntervalMs = 2000;
// How long the sound thread sleeps with nothing to do: every command and
// every event of the output wakes it before, so an idle player costs no
// wake-ups of its own.
constexpr qint64 kIdleWaitMs = 3600 * 1000;
// While a pause has not settled in the output.
constexpr qint64 kSettleWaitMs = 1000;
// How often a stream the server has not begun to play is looked at again.
constexpr qint64 kClockStartPollMs = 20;
// How long before the output runs dry the sound thread stops waiting for
// the boundary update and goes on by itself.
constexpr qint64 kBoundarySafetyMs = 40;
// How much of a track's end is still buffered when its boundary is
// reported: more than the status interval, so that the disc repeat's second
// start, an update later, still finds the last track's end unheard.
constexpr qint64 kBoundaryLeadMs = 400;
// Below this much buffered the output is filled a chunk at a time: a
// larger write waits for more sectors, which a slow drive may be late with.
constexpr qint64 kFillInChunksBelowMs = 500;

qint64 sectorFrame(qint64 lsn) { return lsn * kFramesPerSector; }

// Hands frames to a capture owned by someone else.
class ForwardingOutput : public AudioOutput {
public:
    explicit ForwardingOutput(AudioOutput *target) : m_target(target) {}
    bool write(const char *pcm, qint64 bytes) override { return m_target->write(pcm, bytes); }
    qint64 writableFrames() override { return m_target->writableFrames(); }
    bool failed() override { return m_target->failed(); }
    qint64 bufferedFrames() override { return m_target->bufferedFrames(); }
    void discard() override { m_target->discard(); }
    void dropNewest(qint64 frames) override { m_target->dropNewest(frames); }
    void hold(bool held) override { m_target->hold(held); }
    bool holdSettled() override { return m_target->holdSettled(); }
    void setVolume(double volume) override { m_target->setVolume(volume); }
    QString name() const override { return m_target->name(); }

private:
    AudioOutput *m_target;
};

} // namespace

PlaybackEngine::PlaybackEngine(const Config &config, std::function<void()> boundaryListener)
    : m_config(config),
      m_synchronous(config.clock && config.clock->isManual()),
      m_boundaryListener(std::move(boundaryListener)),
      m_timing(config.clock ? config.clock : SystemClock::instance()),
      m_chunk(size_t(kChunkFrames) * kBytesPerFrame),
      m_sector(kSectorBytes)
{
    if (!m_config.clock)
        m_config.clock = SystemClock::instance();
    m_drive = std::make_unique<DiscDrive>(
        m_config.device, &m_report, m_config.drive, hasDiscThread(),
        [this](std::shared_ptr<const DiscToc> toc, bool ejected) { onToc(std::move(toc), ejected); });
    if (m_synchronous) {
        auto *manual = static_cast<ManualClock *>(m_config.clock);
        m_pacedFrames = manual->nowMs() * kSampleRate / 1000;
        m_pacerId = manual->addPacer([this](qint64 now) { pace(now); });
    } else {
        m_soundThread = std::thread([this] { soundLoop(); });
    }
}

PlaybackEngine::~PlaybackEngine()
{
    if (m_soundThread.joinable()) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_quit = true;
        }
        wakeSoundThread();
        m_soundThread.join();
    }
    if (m_pacerId)
        static_cast<ManualClock *>(m_config.clock)->removePacer(m_pacerId);
    m_drive.reset();
}

// --- disc ------------------------------------------------------------------

void PlaybackEngine::open()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_toc || m_opening)
            return;
        m_opening = true;
    }
    m_drive->requestOpen();
}

void PlaybackEngine::onToc(std::shared_ptr<const DiscToc> toc, bool ejected)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_opening = false;
        m_toc = toc;
        ++m_tocSerial;
        m_atBoundary = false;
        m_discardPending = true;
        m_holdWanted = false;
        changedLocked();
        if (toc && !toc->isEmpty()) {
            m_state = State::Stopped;
            m_frozen = sectorFrame(toc->tracks().front().startLsn);
            m_report.clear();
        } else {
            m_toc.reset();
            m_state = ejected ? State::Open : State::NoDisc;
            m_frozen = 0;
        }
    }
    m_wakeup.notify();
    if (m_config.discChanged)
        m_config.discChanged();
}

void PlaybackEngine::dropDisc(State state)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_toc.reset();
        m_state = state;
        m_discardPending = true;
        m_holdWanted = false;
        changedLocked();
    }
    wakeSoundThread();
}

void PlaybackEngine::close()
{
    dropDisc(State::NoDisc);
    m_drive->requestClose();
}

void PlaybackEngine::eject()
{
    dropDisc(State::Open);
    m_drive->requestEject();
}

// After a command: the sound thread takes it up at once, even when it is
// waiting for the drive.
void PlaybackEngine::wakeSoundThread()
{
    m_wakeup.notify();
    m_drive->interruptRead();
}

void PlaybackEngine::checkMedia()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_toc)
            return;
    }
    m_drive->requestMediaCheck(m_config.clock->nowMs());
}

void PlaybackEngine::watchDrive(bool watching)
{
    if (watching)
        m_drive->watch(m_config.clock->nowMs());
    else
        m_drive->endWatch();
}

void PlaybackEngine::lookAtDrive() { m_drive->look(m_config.clock->nowMs()); }

// --- transport -------------------------------------------------------------

void PlaybackEngine::changedLocked() { ++m_generation; }

// The drive rests when nobody listens; it never waits on this call.
void PlaybackEngine::followStateLocked()
{
    m_drive->setListening(m_state == State::Playing, m_config.clock->nowMs());
}

std::optional<qint64> PlaybackEngine::playableFrom(qint64 frame, bool wrapToStart) const
{
    const DiscToc &toc = *m_toc;
    const TrackInfo *first = toc.firstAudio();
    if (!first)
        return std::nullopt;
    if (frame < sectorFrame(first->startLsn))
        return sectorFrame(first->startLsn);
    const TrackInfo *track = toc.trackAt(frame / kFramesPerSector);
    if (track && track->audio && frame < sectorFrame(track->endLsn))
        return frame;
    if (const TrackInfo *next = toc.audioTrackFrom((frame + kFramesPerSector - 1) / kFramesPerSector))
        return sectorFrame(next->startLsn);
    if (wrapToStart)
        return sectorFrame(first->startLsn);
    return std::nullopt;
}

// At a track start the output still holds the end of the track before;
// the new stream follows it without a break. After the end of the disc, a
// start again from the same place while that end is not heard yet (the disc
// repeat's second start at the update after the wrap) keeps it whole and
// replaces only what followed; everywhere else a command is heard at once.
void PlaybackEngine::startSegmentLocked(qint64 frame)
{
    m_cursor = frame;
    m_holdWanted = false;
    m_pauseSettled = true;
    if (m_atBoundary) {
        m_timing.joinAt(frame, m_state == State::Stopped);
    } else if (!m_timing.restartAtJoin(frame)) {
        m_timing.startAfterDrop(frame);
        m_discardPending = true;
    }
}

bool PlaybackEngine::play(std::optional<qint64> fromFrame)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_toc || m_state == State::NoDisc || m_state == State::Open)
            return false;
        if (!fromFrame && m_state == State::Playing)
            return true;
        // Without a starting point play resumes where the stream stands:
        // after a pause at the frame after the last one heard, rendered
        // anew; at the end of the disc from its start again.
        const auto start = playableFrom(fromFrame ? *fromFrame : m_frozen, !fromFrame);
        if (!start)
            return false;
        startSegmentLocked(*start);
        m_state = State::Playing;
        changedLocked();
        followStateLocked();
    }
    wakeSoundThread();
    return true;
}

void PlaybackEngine::pause()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_state != State::Playing)
            return;
        m_frozen = heardLocked();
        m_timing.hold();
        m_state = State::Paused;
        m_holdWanted = true;
        m_pauseSettled = false;
        changedLocked();
        followStateLocked();
    }
    wakeSoundThread();
}

void PlaybackEngine::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_holdWanted = false;
        // At a track start the output still plays the end of the track
        // before: a stop there (the end of a program) lets that end be heard
        // and drops only what followed it. Stopped already at the end of the
        // disc, the last track's end goes too.
        if (m_atBoundary && m_state == State::Playing)
            m_timing.cutBackToStreamStart();
        else
            m_discardPending = true;
        if (m_state != State::Playing && m_state != State::Paused)
            return;
        if (m_state == State::Playing)
            m_frozen = heardLocked();
        m_state = State::Stopped;
        changedLocked();
        followStateLocked();
    }
    wakeSoundThread();
}

void PlaybackEngine::moveTo(qint64 frame)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_toc)
            return;
        if (m_state != State::Playing) {
            m_frozen = frame;
            m_pauseSettled = true;
            return;
        }
    }
    play(frame);
}

void PlaybackEngine::setSilent(bool silent)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_silent == silent)
            return;
        m_silent = silent;
        if (m_state != State::Playing || m_atBoundary)
            return;
        // What is buffered was rendered before the change: play on from
        // the frame heard now, rendered anew.
        startSegmentLocked(heardLocked());
        changedLocked();
    }
    wakeSoundThread();
}

// The sound server applies the volume to what the stream already holds:
// nothing is rendered anew.
void PlaybackEngine::setVolume(double volume)
{
    m_knownVolume = volume;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_volume = volume;
    }
    m_wakeup.notify();
}

std::optional<double> PlaybackEngine::volume() const
{
    const double volume = m_knownVolume;
    return volume >= 0 ? std::optional<double>(volume) : std::nullopt;
}

void PlaybackEngine::boundaryHandled()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_atBoundary = false;
    }
    m_wakeup.notify();
}

// --- what the listener hears ------------------------------------------------

qint64 PlaybackEngine::heardLocked() const
{
    return m_state == State::Playing ? m_timing.heard(m_cursor) : m_frozen;
}

PlaybackEngine::State PlaybackEngine::state() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_state;
}

// What the display and the desktop are told. Within one stream it never
// goes back: the server's first timing may correct the estimate made before
// it by a little, and the position then waits until the sound catches up.
qint64 PlaybackEngine::positionFrame() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    qint64 frame = heardLocked();
    const bool sameStream = m_state == State::Playing && m_shownGeneration == m_generation
                            && m_shownStreamStart == m_timing.streamStart();
    if (sameStream && frame < m_shownFrame)
        frame = m_shownFrame;
    m_shownFrame = frame;
    m_shownGeneration = m_generation;
    m_shownStreamStart = m_timing.streamStart();
    return frame;
}

std::shared_ptr<const DiscToc> PlaybackEngine::toc() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_toc;
}

QString PlaybackEngine::outputName() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_outputName;
}

// --- rendering -------------------------------------------------------------

qint64 PlaybackEngine::trackEndFrame(qint64 frame) const
{
    const TrackInfo *track = m_toc ? m_toc->trackAt(frame / kFramesPerSector) : nullptr;
    if (track && track->audio && frame < sectorFrame(track->endLsn))
        return sectorFrame(track->endLsn);
    return frame;
}

void PlaybackEngine::useOutput(std::unique_ptr<AudioOutput> output)
{
    m_output = std::move(output);
    m_output->setWakeup([this] { m_wakeup.notify(); });
    m_output->setVolumeListener([this](double volume) { m_knownVolume = volume; });
    m_outputHeld = false;
    m_outputVolume.reset();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_outputName = m_output->name();
        // A new output starts empty: a play goes on in it from the frame
        // heard last in the one before.
        if (m_state == State::Playing && !m_atBoundary) {
            m_cursor = m_timing.heard(m_cursor);
            m_timing.startAfterDrop(m_cursor);
            changedLocked();
        }
        m_timing.dropped();
    }
    // Before its first sound, a new stream takes the volume asked for
    // while there was none.
    applyVolume();
}

// Until a volume is asked for, the stream keeps the one the sound server
// gives it (a mixer may have kept the user's from the last time).
void PlaybackEngine::applyVolume()
{
    std::optional<double> volume;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        volume = m_volume;
    }
    if (!m_output || !volume || volume == m_outputVolume)
        return;
    m_outputVolume = volume;
    m_output->setVolume(*volume);
}

void PlaybackEngine::ensureOutput()
{
    if (m_output && !m_onFallback)
        return;
    // A new output goes on from the frame heard last, so each attempt
    // renders anew: a server that is away is asked again only now and then.
    const qint64 now = m_config.clock->nowMs();
    if (m_output && now < m_nextReconnectMs)
        return;
    switch (m_config.output) {
    case OutputKind::Capture:
        m_onFallback = false;
        useOutput(std::make_unique<ForwardingOutput>(m_config.capture));
        return;
    case OutputKind::Null:
        useOutput(std::make_unique<NullOutput>(m_config.clock, !m_synchronous));
        return;
    case OutputKind::Auto:
    case OutputKind::Pulse:
        break;
    }
    auto cancelled = [this] {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_quit;
    };
    if (auto pulse = PulseOutput::connect(cancelled)) {
        if (m_onFallback)
            m_report.say(QStringLiteral("the sound server is back"));
        m_onFallback = false;
        useOutput(std::move(pulse));
        return;
    }
    if (!m_onFallback && !cancelled())
        m_report.say(QStringLiteral("no sound server; playing on in silence until one answers"));
    m_onFallback = true;
    m_nextReconnectMs = now + kReconnectIntervalMs;
    if (!m_output)
        useOutput(std::make_unique<NullOutput>(m_config.clock, !m_synchronous));
}

bool PlaybackEngine::isCurrent(quint64 generation) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return generation == m_generation && !m_quit;
}

// The frames read: fewer than asked when, on a manual clock, the disc
// thread has not got that far yet, or when a command made them useless.
qint64 PlaybackEngine::readFrames(qint64 frame, qint64 count, char *out, quint64 generation)
{
    qint64 done = 0;
    while (done < count) {
        const qint64 lsn = frame / kFramesPerSector;
        const qint64 offset = frame % kFramesPerSector;
        if (lsn != m_sectorLsn) {
            const DiscDrive::SectorRead read = m_drive->readSector(lsn, m_sector.data(), !m_synchronous);
            if (read == DiscDrive::SectorRead::NotYet)
                break;
            // A command cut the read short: it is read again unless the
            // command made what was being read useless. The wake-up of a
            // command may come after the rendering already follows it.
            if (read == DiscDrive::SectorRead::Interrupted) {
                if (isCurrent(generation))
                    continue;
                break;
            }
            m_sectorLsn = read == DiscDrive::SectorRead::Read ? lsn : -1;
        }
        const qint64 n = std::min(count - done, kFramesPerSector - offset);
        std::memcpy(out, m_sector.data() + offset * kBytesPerFrame, size_t(n * kBytesPerFrame));
        out += n * kBytesPerFrame;
        frame += n;
        done += n;
    }
    return done;
}

// Carries out on the output what the commands asked for since the last
// step: drop what is buffered, cut back to a join, hold or go on.
void PlaybackEngine::applyOutputRequests()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_discardPending) {
        m_discardPending = false;
        lock.unlock();
        if (m_output)
            m_output->discard();
        lock.lock();
        m_timing.dropped();
    }
    if (!m_output)
        return;
    lock.unlock();
    applyVolume();
    lock.lock();
    if (const qint64 dropped = m_timing.takeCutBack()) {
        lock.unlock();
        m_output->dropNewest(dropped);
        const qint64 buffered = m_output->bufferedFrames();
        lock.lock();
        m_timing.measured(buffered);
    }
    const bool held = m_holdWanted;
    lock.unlock();
    if (held != m_outputHeld) {
        m_outputHeld = held;
        m_output->hold(held);
    }
    if (held)
        settlePause();
}

// The output holds some time after the pause, at the server's pace: once
// it has, what it still buffers tells the frame after the last one heard,
// where the pause really stands and a play goes on.
void PlaybackEngine::settlePause()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_pauseSettled || m_state != State::Paused)
            return;
    }
    if (!m_output->holdSettled())
        return;
    const qint64 buffered = m_output->bufferedFrames();
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_pauseSettled || m_state != State::Paused)
        return;
    m_timing.measured(buffered);
    m_frozen = m_timing.heard(m_cursor);
    m_pauseSettled = true;
}

qint64 PlaybackEngine::renderStep(qint64 maxFrames)
{
    applyOutputRequests();
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_state != State::Playing)
        return -1;
    const quint64 generation = m_generation;
    const qint64 cursor = m_cursor;
    const qint64 limit = trackEndFrame(cursor);
    const bool silent = m_silent;
    if (m_tocSerial != m_sectorTocSerial) {
        m_sectorTocSerial = m_tocSerial;
        m_sectorLsn = -1;
    }
    lock.unlock();

    if (cursor >= limit) {
        reachBoundary(generation);
        return 0;
    }
    const qint64 wanted = std::min(maxFrames, limit - cursor);
    if (qint64(m_chunk.size()) < wanted * kBytesPerFrame)
        m_chunk.resize(size_t(wanted * kBytesPerFrame));
    const qint64 n = readFrames(cursor, wanted, m_chunk.data(), generation);
    if (n == 0)
        return -1;
    const qint64 bytes = n * kBytesPerFrame;
    if (silent)
        std::memset(m_chunk.data(), 0, size_t(bytes));
    ensureOutput();

    lock.lock();
    if (generation != m_generation)
        return 0;
    m_cursor = cursor + n;
    lock.unlock();

    const bool ok = m_output->write(m_chunk.data(), bytes);
    const qint64 buffered = ok ? m_output->bufferedFrames() : 0;
    const bool clockRunning = !ok || m_output->clockRunning();
    lock.lock();
    m_timing.wrote(n);
    m_timing.measured(buffered, clockRunning);
    lock.unlock();
    if (!ok) {
        m_report.say(QStringLiteral("the sound server went away; playing on in silence until it returns"));
        m_onFallback = true;
        m_nextReconnectMs = m_config.clock->nowMs() + kReconnectIntervalMs;
        useOutput(std::make_unique<NullOutput>(m_config.clock, !m_synchronous));
    }
    // Halt as soon as the track's last frame is handed over, not only when
    // the next one is wanted.
    if (cursor + n == limit)
        reachBoundary(generation);
    return n;
}

// The track's end is handed over up to a whole buffer ahead of being heard;
// the boundary is reported only when that much is left, so that the track
// shown changes about when it is heard and the listener still has time to
// go on without a break.
void PlaybackEngine::drainToBoundaryLead(quint64 generation)
{
    for (;;) {
        const uint64_t seen = m_wakeup.count();
        qint64 waitMs = 0;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (generation != m_generation || m_quit)
                return;
            waitMs = m_timing.bufferedNow() * 1000 / kSampleRate - kBoundaryLeadMs;
        }
        if (waitMs <= 0)
            return;
        m_wakeup.waitFor(seen, waitMs);
    }
}

void PlaybackEngine::reachBoundary(quint64 generation)
{
    if (!m_synchronous)
        drainToBoundaryLead(generation);
    qint64 bufferedMs = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (generation != m_generation || m_state != State::Playing)
            return;
        const TrackInfo *next = m_toc->audioTrackFrom((m_cursor + kFramesPerSector - 1) / kFramesPerSector);
        if (next) {
            // From here on the new track is reported, at 00:00, while the
            // output still plays the end of the one before.
            m_cursor = sectorFrame(next->startLsn);
            m_timing.joinAt(m_cursor, false);
        } else {
            m_state = State::Stopped;
            m_frozen = m_cursor;
            followStateLocked();
        }
        m_atBoundary = true;
        bufferedMs = m_timing.bufferedNow() * 1000 / kSampleRate;
    }
    m_boundaryListener();
    if (!m_synchronous) {
        const auto deadline = std::chrono::steady_clock::now()
            + std::chrono::milliseconds(std::max<qint64>(5, bufferedMs - kBoundarySafetyMs));
        for (;;) {
            const uint64_t seen = m_wakeup.count();
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (!m_atBoundary || m_quit)
                    break;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            m_wakeup.waitFor(seen, left.count());
        }
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_atBoundary = false;
}

// Each write wakes the sound server's client thread and the server: once
// the output holds enough to ride out a slow read, the whole room it asks
// for goes in one write. Until then it is filled a chunk at a time, so that
// a start is heard as soon as the first chunk is read and the buffer grows
// as fast as the drive delivers.
qint64 PlaybackEngine::largestWrite() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_timing.bufferedNow() < kSampleRate * kFillInChunksBelowMs / 1000 ? kChunkFrames : kSampleRate;
}

// Renders while the output wants more; false when the thread should wait
// for a command or for room.
bool PlaybackEngine::waitForRoom(uint64_t seen)
{
    qint64 waitMs = kIdleWaitMs;
    bool playing = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        playing = m_state == State::Playing;
        if (m_state == State::Paused && !m_pauseSettled)
            waitMs = kSettleWaitMs;
    }
    if (playing) {
        ensureOutput();
        const qint64 room = m_output->writableFrames();
        if (room > 0 || m_output->failed()) {
            renderStep(std::min<qint64>(largestWrite(), std::max<qint64>(room, 1)));
            return false;
        }
        waitMs = m_output->msUntilWritable();
        if (!outputClockRunning()) {
            m_wakeup.waitFor(seen, std::min<qint64>(waitMs, kClockStartPollMs));
            measureOutput();
            return true;
        }
    }
    m_wakeup.waitFor(seen, waitMs);
    return true;
}

bool PlaybackEngine::outputClockRunning() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_timing.clockRunning();
}

// Until the server plays the stream nothing written is heard; it is asked
// again soon, so that the position moves from the moment it does.
void PlaybackEngine::measureOutput()
{
    const qint64 buffered = m_output->bufferedFrames();
    const bool clockRunning = m_output->clockRunning();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_timing.measured(buffered, clockRunning);
}

bool PlaybackEngine::discLoaded() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_toc != nullptr;
}

void PlaybackEngine::soundLoop()
{
    // Named, so that its share shows in per-thread figures (bench/).
    pthread_setname_np(pthread_self(), "velor-sound");
    for (;;) {
        const uint64_t seen = m_wakeup.count();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_quit)
                break;
        }
        applyOutputRequests();
        // The sound server is joined once a disc is in, so that the first
        // play finds a stream that is already running.
        if (!m_output && discLoaded())
            ensureOutput();
        waitForRoom(seen);
    }
    // Let go of the sound server here rather than on the caller's thread.
    m_output.reset();
}

// On a manual clock the clock's step is the sink's: a capture plays on by
// the frames the step lasted and is then filled to its depth; any other
// output takes exactly the frames due.
void PlaybackEngine::pace(qint64 nowMs)
{
    const qint64 due = nowMs * kSampleRate / 1000;
    const qint64 elapsed = due - m_pacedFrames;
    m_pacedFrames = due;
    CaptureOutput *capture = m_config.output == OutputKind::Capture ? m_config.capture : nullptr;
    applyOutputRequests();
    if (capture)
        capture->play(elapsed);
    qint64 budget = elapsed;
    for (;;) {
        // Once the capture has failed, the null output standing in for it
        // takes the frames due; the capture's room would never shrink.
        const qint64 room = capture && !m_onFallback ? capture->writableFrames() : budget;
        if (room <= 0)
            break;
        const qint64 rendered = renderStep(std::min<qint64>(kChunkFrames, room));
        if (rendered < 0)
            break;
        budget -= rendered;
    }
    if (capture)
        capture->endStep();
}
