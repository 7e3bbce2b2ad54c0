// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_handover.h"

#include "player_core.h"
#include "sequencing.h"

bool reserveProgram(PlayerCore &core, const QStringList &entries)
{
    // The disc may have gone while the editor was open.
    if (entries.isEmpty() || !core.hasDisc())
        return false;
    core.List1.clear();
    for (const QString &entry : entries)
        core.List1.add(entry);
    PlayerState &s = core.state;
    s.B = ModeProgram;
    s.LstCnt = 0;
    core.List1.setListIndex(0);
    core.sequencing().playSelectedEntry();
    s.PgmPlay = 1;
    s.Pose = 0;
    s.Stp = 0;
    s.Ply = 1;
    return true;
}
