// SPDX-License-Identifier: GPL-3.0-or-later
#include "event_loop_wake.h"

#include "player_core.h"

#include <QAbstractEventDispatcher>

#include <memory>
#include <utility>

void wakeOnEvents(PlayerCore &core)
{
    struct Watch {
        bool settled = false;  // the loop has done what the last update left
        bool waiting = false;  // the loop waits while the core rests
    };
    core.allowRest();
    auto watch = std::make_shared<Watch>();
    auto *loop = QAbstractEventDispatcher::instance();
    QObject::connect(&core, &PlayerCore::rested, &core, [watch] { watch->settled = true; }, Qt::QueuedConnection);
    QObject::connect(loop, &QAbstractEventDispatcher::aboutToBlock, &core, [&core, watch] {
        watch->settled = watch->settled && core.isResting();
        watch->waiting = watch->settled;
    });
    QObject::connect(loop, &QAbstractEventDispatcher::awake, &core, [&core, watch] {
        if (!std::exchange(watch->waiting, false))
            return;
        watch->settled = false;
        core.wake();
    });
}
