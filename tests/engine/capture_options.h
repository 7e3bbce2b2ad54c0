// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The device control as the player tests run it: on a manual clock, with
// every frame it plays captured.
#include "audio_output.h"
#include "cd_audio_control.h"
#include "clock.h"

inline CdAudioControl::Options captureOptions(const QString &device, ManualClock &clock,
                                              CaptureOutput &capture)
{
    CdAudioControl::Options options;
    options.device = device;
    options.clock = &clock;
    options.output = int(OutputKind::Capture);
    options.capture = &capture;
    return options;
}
