// SPDX-License-Identifier: GPL-3.0-or-later
#include "player_core.h"

#include "caption.h"
#include "device_values.h"
#include "player_view.h"

namespace {
Clock *clockOf(const CdAudioControl::Options &options)
{
    return options.clock ? options.clock : SystemClock::instance();
}
}  // namespace

PlayerCore::PlayerCore(const CdAudioControl::Options &options, PlayerView &view, QObject *parent)
    : QObject(parent),
      device(options),
      openTimer(clockOf(options)),
      m_view(view),
      m_sequencing(std::make_unique<Sequencing>(sequencingContext()))
{
    trackField.onChange([this] { onTrackFieldChange(); });
    elapsedField.onChange([this] { m_view.drawDigits(); });
    trackCountField.onChange([this] { m_view.drawDigits(); });
    connect(&openTimer, &ClockTimer::timeout, this, &PlayerCore::openDevice);
    connect(&device, &CdAudioControl::statusUpdate, this, &PlayerCore::statusUpdate);
    connect(&device, &CdAudioControl::discChangedAtRest, this, &PlayerCore::wake);
}

PlayerCore::~PlayerCore() = default;

bool PlayerCore::hasDisc() const { return trackField.text() != QLatin1String("00"); }

void PlayerCore::resetOpenState()
{
    state.appActive = true;
    state.deviceOpened = false;
    state.repeatTrack = 0;
}

void PlayerCore::resetPlayState()
{
    state.playMode = ModeNormal;
    state.programIndex = 0;
    state.programReserved = false;
    state.stoppedByUser = false;
    state.playWanted = false;
    state.discFrame = 1;
    state.pausedByUser = false;
    state.muted = false;
}

void PlayerCore::command(const QString &command)
{
    emit commandSent(command);
    device.command(command);
}

void PlayerCore::stopAndClose()
{
    command(QStringLiteral("stop"));
    command(QStringLiteral("close"));
}

void PlayerCore::unload()
{
    stopAndClose();
    openTimer.stop();
    disconnect(&openTimer, nullptr, this, nullptr);
    disconnect(&device, nullptr, this, nullptr);
}

SequencingContext PlayerCore::sequencingContext()
{
    return {state, programList, trackField, device, [this](const QString &c) { command(c); }};
}

void PlayerCore::setSequencing(std::unique_ptr<Sequencing> sequencing)
{
    m_sequencing = std::move(sequencing);
}

// The open is sent whether or not the device is open already: it is how a
// newly inserted disc (or a replaced image file) is found.
void PlayerCore::openDevice()
{
    state.deviceOpened = true;
    device.setWait(true);
    device.setShareable(false);
    device.setDeviceType(QStringLiteral("CDAudio"));
    device.setFileName(QString());
    device.setTimeFormat(CdAudioControl::TimeFormatTmsf);
    command(QStringLiteral("open"));
    device.setUpdateInterval(kStatusIntervalMs);
    openTimer.stop();
}

void PlayerCore::statusUpdate()
{
    if (state.deviceOpened) {
        readDevice();
        trackField.set(texts.trackText);
        writeFields();
        splitDigits(texts, digits);
        redraw();
        followDisc();
        writeMinimizedCaption();
    }
    noteMode();
    m_sequencing->checkStop();
    restIfStill();
}

bool PlayerCore::Snapshot::operator==(const Snapshot &other) const
{
    return state == other.state && program == other.program && fields == other.fields
        && position == other.position && mode == other.mode && minimized == other.minimized;
}

PlayerCore::Snapshot PlayerCore::snapshot() const
{
    return {state,
            programList,
            {trackField.text(), elapsedField.text(), trackLengthField.text(), trackCountField.text(),
             discLengthField.text()},
            device.position(),
            device.mode(),
            m_view.isMinimized()};
}

void PlayerCore::allowRest() { m_restAllowed = true; }

void PlayerCore::restIfStill()
{
    if (!m_restAllowed)
        return;
    Snapshot now = snapshot();
    const bool still = now.mode != CdAudioControl::ModePlaying && m_lastSnapshot && *m_lastSnapshot == now;
    m_lastSnapshot = std::move(now);
    m_stillUpdates = still ? m_stillUpdates + 1 : 0;
    if (m_stillUpdates >= kStillUpdatesBeforeRest)
        rest();
}

void PlayerCore::rest()
{
    m_resting = true;
    m_openIntervalAtRest = openTimer.interval();
    openTimer.stop();
    device.setResting(true);
    emit rested();
}

void PlayerCore::wake()
{
    if (!m_resting)
        return;
    m_resting = false;
    // Seen afresh: a whole open cycle runs before the next rest.
    m_stillUpdates = 0;
    m_lastSnapshot.reset();
    device.setResting(false);
    if (m_openIntervalAtRest > 0)
        openTimer.setInterval(m_openIntervalAtRest);
}

void PlayerCore::readDevice()
{
    const qint32 position = device.position();
    const qint32 length = device.length();
    const qint32 trackLength = device.trackLength();
    texts = deriveStatusTexts(position, length, trackLength, device.trackCount());
}

// trackLengthField takes the track length as the trackField change handler may just have
// renewed it, so a new track shows its own length in the same update.
void PlayerCore::writeFields()
{
    elapsedField.set(minSec(texts.elapsedMinutes, texts.elapsedSeconds));
    trackLengthField.set(trackLengthText());
    trackCountField.set(twoDigits(device.trackCount()));
    discLengthField.set(minSec(texts.discMinutes, texts.discSeconds));
}

// checkTrackChange runs before lastMode is refreshed: it judges a track change
// against the mode the previous update saw.
void PlayerCore::redraw()
{
    m_view.drawDigits();
    m_view.drawIndicators();
    m_sequencing->checkTrackChange();
}

void PlayerCore::followDisc()
{
    if (hasDisc()) {
        openTimer.stop();
        if (device.mode() == CdAudioControl::ModeStopped)
            m_view.drawStillDisc();
        return;
    }
    // Arming the timer anew on every update would push the open back each
    // time; while it runs at this interval, it is left to run out.
    if (openTimer.interval() != kOpenRetryMs)
        openTimer.setInterval(kOpenRetryMs);
    resetForNoDisc();
}

void PlayerCore::resetForNoDisc()
{
    state.stoppedByUser = true;
    state.playWanted = false;
    state.repeatTrack = 1;
    state.playMode = ModeNormal;
    state.programReserved = false;
    programList.clear();
}

void PlayerCore::writeMinimizedCaption()
{
    if (!m_view.isMinimized() || !hasDisc())
        return;
    if (const auto caption = minimizedCaption(trackField.text(), elapsedField.text(), state.playMode))
        m_view.setCaption(*caption);
}

void PlayerCore::noteMode()
{
    state.lastMode = device.mode();
    if (device.mode() == CdAudioControl::ModePlaying)
        state.lastPlayedTrack = trackField.text().toInt();
}

void PlayerCore::onTrackFieldChange()
{
    m_view.drawDigits();
    if (hasDisc()) {
        selectTrack();
        return;
    }
    // No disc: updates stop until the open timer opens the device again.
    m_view.showIdlePanel();
    device.setUpdateInterval(0);
}

void PlayerCore::selectTrack()
{
    m_view.showDiscPanel();
    device.setTrack(trackField.text().toInt());
    setTrackLength(texts, device.trackLength());
    trackLengthField.set(trackLengthText());
    splitTrackLengthDigits(texts, digits);
}

QString PlayerCore::trackLengthText() const { return minSec(texts.trackMinutes, texts.trackSeconds); }
