// SPDX-License-Identifier: GPL-3.0-or-later
#include "sequencing.h"

#include "player_core.h"

namespace {
const QString kPlay = QStringLiteral("play");
const QString kPrev = QStringLiteral("prev");
const QString kStop = QStringLiteral("stop");
}  // namespace

void Sequencing::CheckTrack()
{
    const PlayerState &s = m_core.state;
    if (m_core.Text1.text().isEmpty() || s.Ply != 1)
        return;
    if (s.PgmPlay == 0) {
        if (s.B == ModeTrackRepeat)
            repeatTrackOnTrackChange();
        else if (s.B == ModeDiscRepeat && s.CurMode == CdAudioControl::ModeStopped)
            playTrack(1);
    } else if (s.PgmPlay == 1 && !onSelectedEntry()) {
        advanceProgram();
    }
}

void Sequencing::CheckStop()
{
    const PlayerState &s = m_core.state;
    if (s.CurMode != CdAudioControl::ModeStopped || s.Ply != 1)
        return;
    if (s.PgmPlay == 0) {
        if (s.B == ModeNormal)
            continueAfterStop();
        else if (s.B == ModeTrackRepeat)
            repeatTrackAfterStop();
        else if (s.B == ModeDiscRepeat)
            restartDiscAfterStop();
    } else if (s.PgmPlay == 1) {
        advanceProgram();
    }
}

void Sequencing::StepPgm()
{
    const std::optional<int> entry = entryAfterStep(m_core.state.PgmDir);
    if (!entry)
        return;
    selectEntry(*entry);
    playSelectedEntry();
}

std::optional<int> Sequencing::entryAfterStep(int pgmDir) const
{
    const int last = m_core.List1.count() - 1;
    if (pgmDir == 1) {
        const int index = m_core.List1.listIndex();
        return index != last ? index + 1 : 0;
    }
    if (pgmDir == 2)
        return m_core.state.LstCnt <= 0 ? last : m_core.state.LstCnt - 1;
    return std::nullopt;
}

// Only a track after the repeated one means the disc ran past it; a seek
// back into an earlier track plays on into the repeated track.
void Sequencing::repeatTrackOnTrackChange()
{
    const int repTr = m_core.state.RepTr;
    if (repTr < m_core.Text1.text().toInt())
        playTrack(repTr);
}

// The device stopped inside the disc (a track it would not play on from):
// go on with the next one. After the last track the player stays stopped
// with play still wanted.
void Sequencing::continueAfterStop()
{
    const int plyTr = m_core.state.PlyTr;
    if (plyTr == m_core.MMC.Tracks())
        return;
    m_core.MMC.setFrom(plyTr + 1);
    m_core.command(kPlay);
}

void Sequencing::repeatTrackAfterStop()
{
    const int plyTr = m_core.state.PlyTr;
    m_core.MMC.setFrom(plyTr);
    m_core.MMC.setTrack(plyTr);
    m_core.command(kPrev);
    m_core.command(kPlay);
}

void Sequencing::restartDiscAfterStop()
{
    const int plyTr = m_core.state.PlyTr;
    m_core.MMC.setFrom(plyTr != m_core.MMC.Tracks() ? plyTr + 1 : 1);
    m_core.command(kPlay);
}

// Track numbers compare as numbers, whatever their spelling.
bool Sequencing::onSelectedEntry() const
{
    return m_core.List1.selectedText().toInt() == m_core.Text1.text().toInt();
}

void Sequencing::advanceProgram()
{
    const int index = m_core.List1.listIndex();
    if (index != m_core.List1.count() - 1) {
        selectEntry(index + 1);
        playSelectedEntry();
    } else if (m_core.state.B == ModeProgram) {
        endProgram();
    } else if (m_core.state.B == ModeProgramRepeat) {
        selectEntry(0);
        playSelectedEntry();
    }
}

// The program stays reserved: the device is left stopped at the start of
// the first entry's track, so a later play runs the program again.
void Sequencing::endProgram()
{
    m_core.List1.setListIndex(0);
    const int track = m_core.List1.selectedText().toInt();
    m_core.MMC.setFrom(track);
    m_core.MMC.setTrack(track);
    m_core.command(kPrev);
    m_core.command(kPlay);
    m_core.command(kStop);
    PlayerState &s = m_core.state;
    s.Stp = 1;
    s.Ply = 0;
    s.LstCnt = 0;
}

// LstCnt follows the selection at every program step.
void Sequencing::selectEntry(int index)
{
    m_core.List1.setListIndex(index);
    m_core.state.LstCnt = qint16(m_core.List1.listIndex());
}

void Sequencing::playSelectedEntry()
{
    const int track = m_core.List1.selectedText().toInt();
    if (track > m_core.MMC.Tracks()) {
        m_core.command(kStop);
        return;
    }
    playTrack(track);
}

void Sequencing::playTrack(int track)
{
    m_core.MMC.setFrom(track);
    m_core.MMC.setTrack(track);
    m_core.command(kPlay);
}
