// SPDX-License-Identifier: GPL-3.0-or-later
#include "sequencing.h"

#include "cd_audio_control.h"

namespace {
const QString kPlay = QStringLiteral("play");
const QString kPrev = QStringLiteral("prev");
const QString kStop = QStringLiteral("stop");
}  // namespace

void Sequencing::checkTrackChange()
{
    const PlayerState &s = m_player.state;
    if (m_player.trackField.text().isEmpty() || !s.playWanted)
        return;
    if (!s.programReserved) {
        if (s.playMode == ModeTrackRepeat)
            repeatTrackOnTrackChange();
        else if (s.playMode == ModeDiscRepeat && s.lastMode == CdAudioControl::ModeStopped)
            playTrack(1);
    } else if (!onSelectedEntry()) {
        advanceProgram();
    }
}

void Sequencing::checkStop()
{
    const PlayerState &s = m_player.state;
    if (s.lastMode != CdAudioControl::ModeStopped || !s.playWanted)
        return;
    if (!s.programReserved) {
        if (s.playMode == ModeNormal)
            continueAfterStop();
        else if (s.playMode == ModeTrackRepeat)
            repeatTrackAfterStop();
        else if (s.playMode == ModeDiscRepeat)
            restartDiscAfterStop();
    } else {
        advanceProgram();
    }
}

void Sequencing::stepProgram()
{
    const std::optional<int> entry = entryAfterStep(m_player.state.programDirection);
    if (!entry)
        return;
    selectEntry(*entry);
    playSelectedEntry();
}

std::optional<int> Sequencing::entryAfterStep(int pgmDir) const
{
    const int last = m_player.programList.count() - 1;
    if (pgmDir == 1) {
        const int index = m_player.programList.listIndex();
        return index != last ? index + 1 : 0;
    }
    if (pgmDir == 2)
        return m_player.state.programIndex <= 0 ? last : m_player.state.programIndex - 1;
    return std::nullopt;
}

// Only a track after the repeated one means the disc ran past it; a seek
// back into an earlier track plays on into the repeated track.
void Sequencing::repeatTrackOnTrackChange()
{
    const int repTr = m_player.state.repeatTrack;
    if (repTr < m_player.trackField.text().toInt())
        playTrack(repTr);
}

// The device stopped inside the disc (a track it would not play on from):
// go on with the next one. After the last track the player stays stopped
// with play still wanted.
void Sequencing::continueAfterStop()
{
    const int plyTr = m_player.state.lastPlayedTrack;
    if (plyTr == m_player.device.trackCount())
        return;
    m_player.device.setFrom(plyTr + 1);
    m_player.command(kPlay);
}

void Sequencing::repeatTrackAfterStop()
{
    const int plyTr = m_player.state.lastPlayedTrack;
    m_player.device.setFrom(plyTr);
    m_player.device.setTrack(plyTr);
    m_player.command(kPrev);
    m_player.command(kPlay);
}

void Sequencing::restartDiscAfterStop()
{
    const int plyTr = m_player.state.lastPlayedTrack;
    m_player.device.setFrom(plyTr != m_player.device.trackCount() ? plyTr + 1 : 1);
    m_player.command(kPlay);
}

// Track numbers compare as numbers, whatever their spelling.
bool Sequencing::onSelectedEntry() const
{
    return m_player.programList.selectedText().toInt() == m_player.trackField.text().toInt();
}

void Sequencing::advanceProgram()
{
    const int index = m_player.programList.listIndex();
    if (index != m_player.programList.count() - 1) {
        selectEntry(index + 1);
        playSelectedEntry();
    } else if (m_player.state.playMode == ModeProgram) {
        endProgram();
    } else if (m_player.state.playMode == ModeProgramRepeat) {
        selectEntry(0);
        playSelectedEntry();
    }
}

// The program stays reserved: the device is left stopped at the start of
// the first entry's track, so a later play runs the program again.
void Sequencing::endProgram()
{
    m_player.programList.setListIndex(0);
    const int track = m_player.programList.selectedText().toInt();
    m_player.device.setFrom(track);
    m_player.device.setTrack(track);
    m_player.command(kPrev);
    m_player.command(kPlay);
    m_player.command(kStop);
    PlayerState &s = m_player.state;
    s.stoppedByUser = true;
    s.playWanted = false;
    s.programIndex = 0;
}

// programIndex follows the selection at every program step.
void Sequencing::selectEntry(int index)
{
    m_player.programList.setListIndex(index);
    m_player.state.programIndex = qint16(m_player.programList.listIndex());
}

void Sequencing::playSelectedEntry()
{
    const int track = m_player.programList.selectedText().toInt();
    if (track > m_player.device.trackCount()) {
        m_player.command(kStop);
        return;
    }
    playTrack(track);
}

void Sequencing::playTrack(int track)
{
    m_player.device.setFrom(track);
    m_player.device.setTrack(track);
    m_player.command(kPlay);
}
