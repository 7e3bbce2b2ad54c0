// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_handover.h"

#include "player_core.h"
#include "sequencing.h"

bool reserveProgram(PlayerCore &core, const QStringList &entries)
{
    // The disc may have gone while the editor was open.
    if (entries.isEmpty() || !core.hasDisc())
        return false;
    core.programList.clear();
    for (const QString &entry : entries)
        core.programList.add(entry);
    PlayerState &s = core.state;
    s.playMode = ModeProgram;
    s.programIndex = 0;
    core.programList.setListIndex(0);
    core.sequencing().playSelectedEntry();
    s.programReserved = true;
    s.pausedByUser = false;
    s.stoppedByUser = false;
    s.playWanted = true;
    return true;
}
