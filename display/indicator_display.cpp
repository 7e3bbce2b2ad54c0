// SPDX-License-Identifier: GPL-3.0-or-later
#include "indicator_display.h"

#include "cd_audio_control.h"
#include "skin_layout.h"
#include "strip_cells.h"
#include "surface.h"

namespace {

// The band of PicPM each play mode shows; 3 is never a mode and has none.
struct ModeBand {
    qint16 B;
    int band;
};
constexpr ModeBand kModeBands[] = {
    {ModeNormal, 0}, {ModeTrackRepeat, 1}, {ModeDiscRepeat, 2}, {ModeProgram, 3}, {ModeProgramRepeat, 4},
};

void drawModeBand(Surface *PicD, const QImage &PicPM, qint16 B)
{
    for (const ModeBand &mode : kModeBands) {
        if (mode.B == B)
            PicD->Copy(PicPM, PicPMCells::band(mode.band), DiscPanelArea::ModeStrip);
    }
}

void drawKeyboardLamp(Surface *PicD, const QImage &PicParts1, qint16 KeyBrd)
{
    if (KeyBrd == 1)
        PicD->Copy(PicParts1, PicParts1Cells::Keyboard, DiscPanelArea::KeyboardLamp);
    else if (KeyBrd == 0)
        PicD->Copy(PicParts1, PicParts1Cells::KeyboardOff, DiscPanelArea::KeyboardLamp);
}

bool drawDiscPhase(Surface *PicD, const QImage &PicParts1, qint16 AnmFr)
{
    if (AnmFr < 1 || AnmFr > 3)
        return false;
    PicD->Copy(PicParts1, PicParts1Cells::DiscFrame[AnmFr - 1], DiscPanelArea::TurningDisc);
    return true;
}

void drawTurningDisc(Surface *PicD, const QImage &PicParts1, PlayerState &s, const ModeReader &readMode)
{
    if (readMode() != CdAudioControl::ModePlaying)
        return;
    if (drawDiscPhase(PicD, PicParts1, s.AnmFr))
        s.AnmFr = s.AnmFr % 3 + 1;
}

void drawTransportIcon(Surface *PicD, const QImage &PicParts1, const PlayerState &s, const ModeReader &readMode)
{
    if (readMode() == CdAudioControl::ModePlaying) {
        if (s.Ply == 1)
            PicD->Copy(PicParts1, PicParts1Cells::Play, DiscPanelArea::TransportIcon);
    } else if (s.Pose == 1) {
        PicD->Copy(PicParts1, PicParts1Cells::Pause, DiscPanelArea::PauseIcon);
    } else if (readMode() == CdAudioControl::ModeStopped && s.Stp == 1) {
        PicD->Copy(PicParts1, PicParts1Cells::Stop, DiscPanelArea::TransportIcon);
    }
}

void drawSpeaker(Surface *PicD, const QImage &PicParts1, qint16 Mute)
{
    if (Mute == 0)
        PicD->Copy(PicParts1, PicParts1Cells::Speaker, DiscPanelArea::Speaker);
    else if (Mute == 1)
        PicD->Copy(PicParts1, PicParts1Cells::SpeakerMuted, DiscPanelArea::SpeakerMuted);
}

}  // namespace

void DrawIndicators(Surface *PicD, const QImage &PicParts1, const QImage &PicPM, PlayerState &s,
                    const ModeReader &readMode)
{
    PicD->Clear();
    drawModeBand(PicD, PicPM, s.B);
    drawKeyboardLamp(PicD, PicParts1, s.KeyBrd);
    drawTurningDisc(PicD, PicParts1, s, readMode);
    drawTransportIcon(PicD, PicParts1, s, readMode);
    drawSpeaker(PicD, PicParts1, s.Mute);
}

void DrawStillDisc(Surface *PicD, const QImage &PicParts1, const PlayerState &s)
{
    drawDiscPhase(PicD, PicParts1, s.AnmFr);
}
