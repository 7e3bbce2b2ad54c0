// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class PlayerCore;

// Between events nothing changes what the status update would show: the
// player rests while still, and whatever ends a wait of its event loop
// wakes it. Only a wait begun once the loop has finished what the update
// that went to rest left queued (its drawing) counts.
void wakeOnEvents(PlayerCore &core);
