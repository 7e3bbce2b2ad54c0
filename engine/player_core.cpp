// SPDX-License-Identifier: GPL-3.0-or-later
#include "player_core.h"

#include "caption.h"
#include "device_values.h"
#include "player_view.h"
#include "sequencing.h"

namespace {
Clock *clockOf(const CdAudioControl::Options &options)
{
    return options.clock ? options.clock : SystemClock::instance();
}
}  // namespace

PlayerCore::PlayerCore(const CdAudioControl::Options &options, PlayerView &view, QObject *parent)
    : QObject(parent),
      MMC(options),
      Timer1(clockOf(options)),
      m_view(view),
      m_sequencing(std::make_unique<Sequencing>(*this))
{
    Text1.onChange([this] { onText1Change(); });
    Text2.onChange([this] { m_view.DrawDigits(); });
    Text4.onChange([this] { m_view.DrawDigits(); });
    connect(&Timer1, &ClockTimer::timeout, this, &PlayerCore::openDevice);
    connect(&MMC, &CdAudioControl::StatusUpdate, this, &PlayerCore::statusUpdate);
}

PlayerCore::~PlayerCore() = default;

bool PlayerCore::hasDisc() const { return Text1.text() != QLatin1String("00"); }

void PlayerCore::resetOpenState()
{
    state.KeyBrd = 1;
    state.Opnd = 0;
    state.RepTr = 0;
}

void PlayerCore::resetPlayState()
{
    state.B = ModeNormal;
    state.LstCnt = 0;
    state.PgmPlay = 0;
    state.Stp = 0;
    state.Ply = 0;
    state.AnmFr = 1;
    state.Pose = 0;
    state.Mute = 0;
}

void PlayerCore::command(const QString &command)
{
    emit commandSent(command);
    MMC.Command(command);
}

void PlayerCore::stopAndClose()
{
    command(QStringLiteral("stop"));
    command(QStringLiteral("close"));
}

void PlayerCore::unload()
{
    stopAndClose();
    Timer1.stop();
    disconnect(&Timer1, nullptr, this, nullptr);
    disconnect(&MMC, nullptr, this, nullptr);
}

void PlayerCore::setSequencing(std::unique_ptr<Sequencing> sequencing)
{
    m_sequencing = std::move(sequencing);
}

// The open is sent whether or not the device is open already: it is how a
// newly inserted disc (or a replaced image file) is found.
void PlayerCore::openDevice()
{
    state.Opnd = 1;
    MMC.setWait(true);
    MMC.setShareable(false);
    MMC.setDeviceType(QStringLiteral("CDAudio"));
    MMC.setFileName(QString());
    MMC.setTimeFormat(CdAudioControl::TimeFormatTmsf);
    command(QStringLiteral("open"));
    MMC.setUpdateInterval(kStatusIntervalMs);
    Timer1.stop();
}

void PlayerCore::statusUpdate()
{
    if (state.Opnd == 1) {
        readDevice();
        Text1.set(texts.TrNo);
        writeFields();
        splitDigits(texts, digits);
        redraw();
        followDisc();
        writeMinimizedCaption();
    }
    noteMode();
    m_sequencing->CheckStop();
}

void PlayerCore::readDevice()
{
    const qint32 position = MMC.Position();
    const qint32 length = MMC.Length();
    const qint32 trackLength = MMC.TrackLength();
    texts = deriveStatusTexts(position, length, trackLength, MMC.Tracks());
}

// Text3 takes the track length as the Text1 change handler may just have
// renewed it, so a new track shows its own length in the same update.
void PlayerCore::writeFields()
{
    Text2.set(minSec(texts.PosMin, texts.PosSec));
    Text3.set(trackLengthText());
    Text4.set(twoDigits(MMC.Tracks()));
    Text5.set(minSec(texts.LenMin, texts.LenSec));
}

// CheckTrack runs before CurMode is refreshed: it judges a track change
// against the mode the previous update saw.
void PlayerCore::redraw()
{
    m_view.DrawDigits();
    m_view.DrawIndicators();
    m_sequencing->CheckTrack();
}

void PlayerCore::followDisc()
{
    if (hasDisc()) {
        Timer1.stop();
        if (MMC.Mode() == CdAudioControl::ModeStopped)
            m_view.DrawStillDisc();
        return;
    }
    // Arming the timer anew on every update would push the open back each
    // time; while it runs at this interval, it is left to run out.
    if (Timer1.interval() != kOpenRetryMs)
        Timer1.setInterval(kOpenRetryMs);
    resetForNoDisc();
}

void PlayerCore::resetForNoDisc()
{
    state.Stp = 1;
    state.Ply = 0;
    state.RepTr = 1;
    state.B = ModeNormal;
    state.PgmPlay = 0;
    List1.clear();
}

void PlayerCore::writeMinimizedCaption()
{
    if (!m_view.isMinimized() || !hasDisc())
        return;
    if (const auto caption = minimizedCaption(Text1.text(), Text2.text(), state.B))
        m_view.setCaption(*caption);
}

void PlayerCore::noteMode()
{
    state.CurMode = MMC.Mode();
    if (MMC.Mode() == CdAudioControl::ModePlaying)
        state.PlyTr = Text1.text().toInt();
}

void PlayerCore::onText1Change()
{
    m_view.DrawDigits();
    if (hasDisc()) {
        selectTrack();
        return;
    }
    // No disc: updates stop until the open timer opens the device again.
    m_view.showIdlePanel();
    MMC.setUpdateInterval(0);
}

void PlayerCore::selectTrack()
{
    m_view.showDiscPanel();
    MMC.setTrack(Text1.text().toInt());
    setTrackLength(texts, MMC.TrackLength());
    Text3.set(trackLengthText());
    splitTrackLengthDigits(texts, digits);
}

QString PlayerCore::trackLengthText() const { return minSec(texts.TrLenMin, texts.TrLenSec); }
