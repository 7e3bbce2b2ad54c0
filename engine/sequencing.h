// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "player_state.h"

#include <QString>

#include <functional>
#include <optional>

class CdAudioControl;

// What the sequencing reads and the commands it may send: the player's
// state and program, the track the display shows, the device (its track
// count, where the next play starts) and the one path for device commands.
// The player core hands these over; the sequencing knows nothing else of it.
struct SequencingContext {
    PlayerState &state;
    ProgramList &programList;
    const TextField &trackField;
    CdAudioControl &device;
    std::function<void(const QString &)> command;
};

// Makes repeat and program play out of a device that only plays on to the
// end of the disc. The status update calls the two checks at fixed places:
// checkTrackChange after the redraw, still seeing the previous update's lastMode;
// checkStop last, after lastMode and lastPlayedTrack have been refreshed.
class Sequencing {
public:
    explicit Sequencing(SequencingContext context) : m_player(std::move(context)) {}
    virtual ~Sequencing() = default;

    // Reaction to the disc having run into another track.
    virtual void checkTrackChange();
    // Reaction to the device having stopped although play is wanted.
    virtual void checkStop();
    // One step through the program in the direction of programDirection (1 forward,
    // 2 back), wrapping at both ends in either program mode; plays the
    // entry reached and leaves playWanted, stoppedByUser and pausedByUser alone.
    void stepProgram();
    // The index of the entry such a step selects; none for no direction.
    std::optional<int> entryAfterStep(int pgmDir) const;
    // Plays the selected program entry from the start of its track. An
    // entry beyond the disc now in the drive (another disc came in since
    // the program was composed) plays nothing: the device is stopped, and
    // the next check steps on to the following entry.
    void playSelectedEntry();

protected:
    SequencingContext m_player;

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
