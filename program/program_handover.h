// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

class PlayerCore;

// Puts entries ("01" .. "99", in play order) in place of whatever program
// the main window holds and starts program play, without repeat, from the
// start of the first entry's track. An empty program is never reserved,
// nor one when the disc has gone: then nothing changes and the result is
// false.
bool reserveProgram(PlayerCore &core, const QStringList &entries);
