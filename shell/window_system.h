// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Choosing the window system before the application object exists, and
// ending cleanly where there is none.
//
// X11 comes first, so the window can be put back where it was left (XWayland
// on a Wayland desktop); Wayland is the fallback when no X server answers.
// A platform the user chose with QT_QPA_PLATFORM is kept.
void preferX11ThenWayland();

// Repaints on X11 go to the server over the connection rather than through
// a shared-memory image.
void repaintWithoutSharedMemory();

// Until the application object is made, a window system that cannot be
// reached ends the process with one line on stderr and status 1, instead of
// Qt's abort. Qt's own start-up warnings are held back meanwhile and given
// out once a window system answered.
void guardWindowSystemStart();

// Called once the application object exists: lifts the guard, and says once
// on stderr what a Wayland session cannot do for this player.
void windowSystemStarted();
