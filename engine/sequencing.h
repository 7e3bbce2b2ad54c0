// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

class PlayerCore;

// Makes repeat and program play out of a device that only plays on to the
// end of the disc. The status update calls the two checks at fixed places:
// CheckTrack after the redraw, still seeing the previous update's CurMode;
// CheckStop last, after CurMode and PlyTr have been refreshed.
class Sequencing {
public:
    explicit Sequencing(PlayerCore &core) : m_core(core) {}
    virtual ~Sequencing() = default;

    // Reaction to the disc having run into another track.
    virtual void CheckTrack();
    // Reaction to the device having stopped although play is wanted.
    virtual void CheckStop();
    // One step through the program in the direction of PgmDir (1 forward,
    // 2 back), wrapping at both ends in either program mode; plays the
    // entry reached and leaves Ply, Stp and Pose alone.
    void StepPgm();
    // The index of the entry such a step selects; none for no direction.
    std::optional<int> entryAfterStep(int pgmDir) const;
    // Plays the selected program entry from the start of its track. An
    // entry beyond the disc now in the drive (another disc came in since
    // the program was composed) plays nothing: the device is stopped, and
    // the next check steps on to the following entry.
    void playSelectedEntry();

protected:
    PlayerCore &m_core;

private:
    void repeatTrackOnTrackChange();
    void continueAfterStop();
    void repeatTrackAfterStop();
    void restartDiscAfterStop();
    bool onSelectedEntry() const;
    void advanceProgram();
    void endProgram();
    void selectEntry(int index);
    void playTrack(int track);
};
