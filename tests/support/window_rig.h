// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A main window on a manual clock, playing into a capture, with every
// device command it sends written down.
#include "capture_options.h"
#include "main_window.h"

#include <QStringList>

#include <memory>

struct WindowRig {
    ManualClock clock;
    CaptureOutput capture;
    std::unique_ptr<MainWindow> form;
    QStringList commands;

    explicit WindowRig(const QString &device)
    {
        form = std::make_unique<MainWindow>(captureOptions(device, clock, capture));
        QObject::connect(&form->core(), &PlayerCore::commandSent,
                         [this](const QString &c) { commands << c; });
    }
    PlayerCore &core() { return form->core(); }
    MainSkin &skin() { return form->skin(); }

    // Past the open timer and the first status update.
    void openWithDisc() { clock.advance(PlayerCore::kOpenRetryMs + PlayerCore::kStatusIntervalMs); }
    void update() { clock.advance(PlayerCore::kStatusIntervalMs); }
};
