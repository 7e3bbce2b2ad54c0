// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class PlayerCore;

// What the transport buttons, the repeat button and the mute button do to
// the disc and the player state. Each command sends its device operations
// first and writes the state after; none waits for the device or draws:
// the next status update shows the result.
class Transport {
public:
    // After an eject the device is opened again sooner than while waiting
    // for a disc.
    static constexpr int kReopenAfterEjectMs = 200;

    explicit Transport(PlayerCore &core) : m_core(core) {}

    // The command of the transport button with this index: 0 DoPrev,
    // 1 DoNext, 2 DoPlay, 3 DoPause, 4 DoStop, 5 DoEject, 6 to 9 the
    // relative seeks by -10 s, -5 s, +5 s and +10 s.
    void ContP(int index);

    void DoPrev();
    void DoNext();
    void DoPlay();
    void DoPause();
    void DoStop();
    void DoEject();
    // Plays from the heard position moved by ms, unclamped; no state change.
    void seekBy(int ms);
    // The repeat button: the next play mode within the normal or the
    // program modes; RepTr takes the current track in any case.
    void Repeat();
    // The mute button: toggles Silent and Mute together.
    void ToggleMute();

private:
    void stepTrack(const char *deviceCommand, int pgmDir);
    void nextMode();

    PlayerCore &m_core;
};
