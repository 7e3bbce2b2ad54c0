// SPDX-License-Identifier: GPL-3.0-or-later
#include "cd_audio_control.h"

#include "clock.h"
#include "playback_engine.h"

#include <QMetaObject>

namespace {

constexpr qint64 kPrevRepeatMs = 3000;
constexpr int kMediaCheckMs = 500;

qint64 sectorFrame(qint64 lsn) { return lsn * kFramesPerSector; }

qint64 framesToMs(qint64 frames) { return frames * 1000 / kSampleRate; }

// Rounded up, so that the position read back in milliseconds is the one
// that was asked for.
qint64 msToFrames(qint64 ms)
{
    const qint64 scaled = ms * kSampleRate;
    return scaled >= 0 ? (scaled + 999) / 1000 : -((-scaled) / 1000);
}

} // namespace

CdAudioControl::CdAudioControl(const Options &options, QObject *parent)
    : QObject(parent), m_clock(options.clock ? options.clock : SystemClock::instance())
{
    PlaybackEngine::Config config;
    config.device = options.device;
    config.clock = m_clock;
    config.output = static_cast<OutputKind>(options.output);
    config.capture = options.capture;
    config.drive = options.drive;
    config.discThread = options.discThread;
    // What the worker threads report is handed to this object's thread; on
    // a manual clock everything already runs on it.
    const bool synchronous = m_clock->isManual();
    const auto onThisThread = [this, synchronous](void (CdAudioControl::*handler)()) {
        return [this, synchronous, handler] {
            if (synchronous)
                (this->*handler)();
            else
                QMetaObject::invokeMethod(this, handler, Qt::QueuedConnection);
        };
    };
    config.discChanged = onThisThread(&CdAudioControl::onDiscChanged);
    m_engine = std::make_unique<PlaybackEngine>(config, onThisThread(&CdAudioControl::onBoundary));

    m_updateTimer = new ClockTimer(m_clock, this);
    connect(m_updateTimer, &ClockTimer::timeout, this, &CdAudioControl::raiseStatusUpdate);
    m_mediaTimer = new ClockTimer(m_clock, this);
    connect(m_mediaTimer, &ClockTimer::timeout, this, [this] {
        if (m_resting)
            m_engine->lookAtDrive();
        else
            checkMedia();
    });
    m_lastMediaCheckMs = m_clock->nowMs();
    armMediaTimer();
}

CdAudioControl::~CdAudioControl() = default;

QString CdAudioControl::outputName() const { return m_engine->outputName(); }

void CdAudioControl::raiseStatusUpdate()
{
    checkMediaWhenDue();
    if (m_isOpen)
        emit statusUpdate();
}

// On a status update: checks now when waiting for the next update would
// leave more than kMediaCheckMs between two checks.
void CdAudioControl::checkMediaWhenDue()
{
    if (m_clock->nowMs() + m_updateInterval - m_lastMediaCheckMs > kMediaCheckMs)
        checkMedia();
}

void CdAudioControl::checkMedia()
{
    m_lastMediaCheckMs = m_clock->nowMs();
    m_engine->checkMedia();
}

// While status updates come at least as often, the media check rides on
// them instead of waking the user-interface thread with a timer of its own.
void CdAudioControl::armMediaTimer()
{
    const bool ridesOnUpdates = m_updateInterval > 0 && m_updateInterval <= kMediaCheckMs;
    // At rest the disc thread looks after the drive by itself; without
    // one, this timer has it looked at.
    const bool watched = m_resting ? m_engine->hasDiscThread() : ridesOnUpdates;
    const int wanted = watched ? 0 : kMediaCheckMs;
    if (m_mediaTimer->interval() != wanted)
        m_mediaTimer->setInterval(wanted);
}

void CdAudioControl::onBoundary()
{
    // The stream halted at a track start or the end of the disc: report it
    // now, so that whatever follows starts exactly there, and count the next
    // regular update from here.
    if (m_isOpen && m_updateInterval > 0) {
        m_updateTimer->setInterval(m_updateInterval);
        emit statusUpdate();
    }
    m_engine->boundaryHandled();
}

void CdAudioControl::setUpdateInterval(int ms)
{
    m_updateInterval = qMax(0, ms);
    armUpdateTimer();
    armMediaTimer();
}

void CdAudioControl::armUpdateTimer()
{
    m_updateTimer->setInterval(m_resting ? 0 : m_updateInterval);
}

void CdAudioControl::setResting(bool resting)
{
    if (resting == m_resting)
        return;
    m_resting = resting;
    m_engine->watchDrive(resting);
    armUpdateTimer();
    armMediaTimer();
}

void CdAudioControl::onDiscChanged()
{
    if (!m_resting)
        return;
    setResting(false);
    emit discChangedAtRest();
}

void CdAudioControl::setTimeFormat(qint32 format) { m_timeFormat = format; }

void CdAudioControl::setFrom(qint32 from)
{
    m_from = from;
    m_fromSet = true;
}

void CdAudioControl::setSilent(bool silent)
{
    m_silent = silent;
    m_engine->setSilent(silent);
}

void CdAudioControl::setVolume(double volume)
{
    m_engine->setVolume(volume);
}

double CdAudioControl::volume() const { return m_engine->volume().value_or(1.0); }

// --- reading -----------------------------------------------------------------

qint32 CdAudioControl::trackCount() const
{
    const auto toc = m_engine->toc();
    return toc ? toc->trackCount() : 0;
}

DiscText CdAudioControl::discText() const
{
    const auto toc = m_engine->toc();
    return toc ? toc->text() : DiscText{};
}

std::shared_ptr<const DiscToc> CdAudioControl::toc() const { return m_engine->toc(); }

bool CdAudioControl::hasNeighbourTrack(bool forward) const
{
    const auto toc = m_engine->toc();
    const TrackInfo *current = toc ? currentTrack(*toc) : nullptr;
    if (!current)
        return false;
    return (forward ? toc->nextAudio(current) : toc->previousAudio(current)) != nullptr;
}

qint32 CdAudioControl::mode() const
{
    switch (m_engine->state()) {
    case PlaybackEngine::State::NoDisc:
        return ModeNotReady;
    case PlaybackEngine::State::Open:
        return ModeOpen;
    case PlaybackEngine::State::Stopped:
        return ModeStopped;
    case PlaybackEngine::State::Playing:
        return ModePlaying;
    case PlaybackEngine::State::Paused:
        return ModePaused;
    }
    return ModeNotReady;
}

qint32 CdAudioControl::position() const
{
    const auto toc = m_engine->toc();
    if (!toc)
        return 0;
    const qint64 frame = m_engine->positionFrame();
    if (m_timeFormat == TimeFormatMilliseconds)
        return qint32(framesToMs(frame));
    const TrackInfo *track = toc->trackAt(frame / kFramesPerSector);
    return packTmsf(track->number, frame / kFramesPerSector - track->startLsn);
}

qint32 CdAudioControl::lengthValue(qint64 sectors) const
{
    if (m_timeFormat == TimeFormatMilliseconds)
        return qint32(framesToMs(sectorFrame(sectors)));
    return packMsf(sectors);
}

qint32 CdAudioControl::length() const
{
    const auto toc = m_engine->toc();
    return toc ? lengthValue(toc->audioSectors()) : 0;
}

qint32 CdAudioControl::trackLength() const
{
    const auto toc = m_engine->toc();
    const TrackInfo *track = toc ? toc->track(m_track) : nullptr;
    return track ? lengthValue(track->sectors()) : 0;
}

// --- commands ------------------------------------------------------------------

std::optional<qint64> CdAudioControl::fromFrame(const DiscToc &toc) const
{
    if (m_timeFormat == TimeFormatMilliseconds)
        return msToFrames(m_from);
    const TrackInfo *track = toc.track(m_from & 0xFF);
    if (!track)
        return std::nullopt;
    const qint64 minutes = (m_from >> 8) & 0xFF;
    const qint64 seconds = (m_from >> 16) & 0xFF;
    const qint64 frames = (quint32(m_from) >> 24) & 0xFF;
    const qint64 offset = (minutes * 60 + seconds) * kSectorsPerSecond + frames;
    return sectorFrame(track->startLsn + offset);
}

void CdAudioControl::playCommand()
{
    std::optional<qint64> from;
    if (m_fromSet) {
        m_fromSet = false;
        const auto toc = m_engine->toc();
        if (!toc)
            return;
        from = fromFrame(*toc);
        // A start past the disc or in a track with no audio after it plays nothing.
        if (!from || *from >= sectorFrame(toc->lastAudio() ? toc->lastAudio()->endLsn : 0))
            return;
    }
    m_engine->play(from);
    followCurrentTrack();
}

const TrackInfo *CdAudioControl::currentTrack(const DiscToc &toc) const
{
    return toc.trackAt(m_engine->positionFrame() / kFramesPerSector);
}

void CdAudioControl::followCurrentTrack()
{
    const auto toc = m_engine->toc();
    if (const TrackInfo *track = toc ? currentTrack(*toc) : nullptr)
        m_track = track->number;
}

void CdAudioControl::stepTrack(bool forward)
{
    const auto toc = m_engine->toc();
    if (!toc || !toc->hasAudio())
        return;
    const TrackInfo *current = currentTrack(*toc);
    const TrackInfo *target = nullptr;
    if (forward) {
        target = toc->nextAudio(current);
        if (!target)
            target = toc->lastAudio();
    } else {
        const qint64 now = m_clock->nowMs();
        const bool again = m_lastPrevMs >= 0 && now - m_lastPrevMs < kPrevRepeatMs;
        m_lastPrevMs = now;
        target = current && current->audio ? current : toc->previousAudio(current);
        if (again && target)
            target = toc->previousAudio(target);
        if (!target)
            target = toc->firstAudio();
    }
    m_engine->moveTo(sectorFrame(target->startLsn));
    m_track = target->number;
}

void CdAudioControl::command(const QString &command)
{
    if (command == QLatin1String("open")) {
        m_isOpen = true;
        m_engine->open();
    } else if (command == QLatin1String("close")) {
        m_isOpen = false;
        m_engine->close();
    } else if (command == QLatin1String("play")) {
        playCommand();
    } else if (command == QLatin1String("pause")) {
        m_engine->pause();
    } else if (command == QLatin1String("stop")) {
        m_engine->stop();
    } else if (command == QLatin1String("prev")) {
        stepTrack(false);
    } else if (command == QLatin1String("next")) {
        stepTrack(true);
    } else if (command == QLatin1String("eject")) {
        m_engine->eject();
    }
}
