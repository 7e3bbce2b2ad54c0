// SPDX-License-Identifier: GPL-3.0-or-later
#include "indicator_display.h"

#include "cd_audio_control.h"
#include "skin_layout.h"
#include "strip_cells.h"
#include "surface.h"

namespace {

// The band of modeStrip each play mode shows; 3 is never a mode and has none.
struct ModeBand {
    qint16 playMode;
    int band;
};
constexpr ModeBand kModeBands[] = {
    {ModeNormal, 0}, {ModeTrackRepeat, 1}, {ModeDiscRepeat, 2}, {ModeProgram, 3}, {ModeProgramRepeat, 4},
};

void drawModeBand(Surface *discPanel, const QImage &modeStrip, qint16 playMode)
{
    for (const ModeBand &mode : kModeBands) {
        if (mode.playMode == playMode)
            discPanel->Copy(modeStrip, ModeStripCells::band(mode.band), DiscPanelArea::ModeStrip);
    }
}

void drawKeyboardLamp(Surface *discPanel, const QImage &iconStrip, bool appActive)
{
    if (appActive)
        discPanel->Copy(iconStrip, IconStripCells::Keyboard, DiscPanelArea::KeyboardLamp);
    else
        discPanel->Copy(iconStrip, IconStripCells::KeyboardOff, DiscPanelArea::KeyboardLamp);
}

bool drawDiscPhase(Surface *discPanel, const QImage &iconStrip, qint16 discFrame)
{
    if (discFrame < 1 || discFrame > 3)
        return false;
    discPanel->Copy(iconStrip, IconStripCells::DiscFrame[discFrame - 1], DiscPanelArea::TurningDisc);
    return true;
}

void drawTurningDisc(Surface *discPanel, const QImage &iconStrip, PlayerState &s, const ModeReader &readMode)
{
    if (readMode() != CdAudioControl::ModePlaying)
        return;
    if (drawDiscPhase(discPanel, iconStrip, s.discFrame))
        s.discFrame = s.discFrame % 3 + 1;
}

void drawTransportIcon(Surface *discPanel, const QImage &iconStrip, const PlayerState &s, const ModeReader &readMode)
{
    if (readMode() == CdAudioControl::ModePlaying) {
        if (s.playWanted)
            discPanel->Copy(iconStrip, IconStripCells::Play, DiscPanelArea::TransportIcon);
    } else if (s.pausedByUser) {
        discPanel->Copy(iconStrip, IconStripCells::Pause, DiscPanelArea::PauseIcon);
    } else if (readMode() == CdAudioControl::ModeStopped && s.stoppedByUser) {
        discPanel->Copy(iconStrip, IconStripCells::Stop, DiscPanelArea::TransportIcon);
    }
}

void drawSpeaker(Surface *discPanel, const QImage &iconStrip, bool muted)
{
    if (!muted)
        discPanel->Copy(iconStrip, IconStripCells::Speaker, DiscPanelArea::Speaker);
    else
        discPanel->Copy(iconStrip, IconStripCells::SpeakerMuted, DiscPanelArea::SpeakerMuted);
}

}  // namespace

void drawIndicators(Surface *discPanel, const QImage &iconStrip, const QImage &modeStrip, PlayerState &s,
                    const ModeReader &readMode)
{
    discPanel->Clear();
    drawModeBand(discPanel, modeStrip, s.playMode);
    drawKeyboardLamp(discPanel, iconStrip, s.appActive);
    drawTurningDisc(discPanel, iconStrip, s, readMode);
    drawTransportIcon(discPanel, iconStrip, s, readMode);
    drawSpeaker(discPanel, iconStrip, s.muted);
}

void drawStillDisc(Surface *discPanel, const QImage &iconStrip, const PlayerState &s)
{
    drawDiscPhase(discPanel, iconStrip, s.discFrame);
}
