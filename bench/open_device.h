// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cd_audio_control.h"

#include <QCoreApplication>
#include <QElapsedTimer>

// Opens the device and waits, at most ten seconds, for the disc to be read.
inline void openAndWaitForDisc(CdAudioControl &mmc, qint32 timeFormat)
{
    mmc.setTimeFormat(timeFormat);
    mmc.command("open");
    QElapsedTimer waited;
    waited.start();
    while (mmc.trackCount() == 0 && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}
