// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Once the window is gone nothing may keep the process alive: a drive can
// sit in the kernel for minutes, a frozen sound server never answers, and
// the threads that talk to them are joined while the player is torn down.
// From this call on, the process ends with the given status within the
// grace period, whether or not that teardown has finished.
void endProcessWithin(int graceMs, int status);

// What the player allows its own teardown after the event loop has ended,
// so that it is gone well within a second of the exit button.
constexpr int kTeardownGraceMs = 500;
