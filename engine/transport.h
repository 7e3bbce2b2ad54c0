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

    // The command of the transport button with this index: 0 previous,
    // 1 next, 2 play, 3 pause, 4 stop, 5 eject, 6 to 9 the
    // relative seeks by -10 s, -5 s, +5 s and +10 s.
    void pressTransportButton(int index);

    void previous();
    void next();
    void play();
    void pause();
    void stop();
    void eject();
    // Plays from the heard position moved by ms, unclamped; no state change.
    void seekBy(int ms);
    // The repeat button: the next play mode within the normal or the
    // program modes; repeatTrack takes the current track in any case.
    void cycleRepeat();
    // The mute button: toggles the device's silence and the muted flag together.
    void toggleMute();

private:
    void stepTrack(const char *deviceCommand, int pgmDir);
    void nextMode();

    PlayerCore &m_core;
};
