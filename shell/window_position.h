#pragma once

class QWidget;
struct PlayerState;

// Moves the main window to where it was left last time, keeping the
// position read in FItiX and FItiY.
void readSavedPosition(QWidget &window, PlayerState &state);
