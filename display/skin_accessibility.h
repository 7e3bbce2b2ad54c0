// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Screen readers see the skin's pictures for what they are: each button a
// push button named as its tooltip names it, with a press action that runs
// what a click runs, and the display's reading as text. Installed once,
// by the first skin that is built.
void installSkinAccessibility();
