// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio_output.h"
#include "cd_audio_control.h"
#include "clock.h"
#include "test_disc.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// A scratch folder for generated discs, inside the build tree when ctest
// runs (VELOR_TEST_TMP), removed afterwards.
inline QString scratchDir()
{
    static QTemporaryDir dir = [] {
        const QString root = qEnvironmentVariable("VELOR_TEST_TMP", QDir::tempPath());
        QDir().mkpath(root);
        return QTemporaryDir(root + QStringLiteral("/disc-XXXXXX"));
    }();
    return dir.path();
}

inline QString writeDisc(const QString &name, const TestDiscLayout &layout, TestDiscFiles *files = nullptr)
{
    TestDiscFiles written;
    std::string error;
    const QString base = scratchDir() + QLatin1Char('/') + name;
    if (!writeTestDisc(base.toStdString(), layout, &written, &error))
        qFatal("cannot write test disc %s: %s", qPrintable(base), error.c_str());
    if (files)
        *files = written;
    return QString::fromStdString(written.cue);
}

// A device control on a manual clock, playing into a capture that buffers
// depthFrames the way a sound server does (0: heard as written).
struct DiscRig {
    ManualClock clock;
    CaptureOutput capture;
    std::unique_ptr<CdAudioControl> device;

    explicit DiscRig(const QString &path, qint64 depthFrames = 0, DriveAccess *drive = nullptr,
                     bool discThread = false)
        : capture(depthFrames)
    {
        CdAudioControl::Options options;
        options.device = path;
        options.clock = &clock;
        options.output = int(OutputKind::Capture);
        options.capture = &capture;
        options.drive = drive;
        options.discThread = discThread;
        device = std::make_unique<CdAudioControl>(options);
    }

    void open()
    {
        device->setTimeFormat(CdAudioControl::TimeFormatTmsf);
        device->command(QStringLiteral("open"));
        device->setUpdateInterval(200);
    }

    // Opens the disc, lets the first status update read it, and plays
    // from where the device stands.
    void openAndPlay()
    {
        open();
        clock.advance(200);
        device->command(QStringLiteral("play"));
    }

    void playTrack(int n)
    {
        device->setFrom(n);
        device->setTrack(n);
        device->command(QStringLiteral("play"));
    }

    // Steps the clock until the device stops, at most limitMs.
    void runUntilStopped(qint64 limitMs)
    {
        for (qint64 t = 0; t < limitMs && device->mode() == CdAudioControl::ModePlaying; t += 200)
            clock.advance(200);
    }

    qint64 positionMs()
    {
        device->setTimeFormat(CdAudioControl::TimeFormatMilliseconds);
        const qint64 ms = device->position();
        device->setTimeFormat(CdAudioControl::TimeFormatTmsf);
        return ms;
    }
};

inline qint32 tmsf(int track, int m = 0, int s = 0, int f = 0)
{
    return qint32(quint32(track) | (quint32(m) << 8) | (quint32(s) << 16) | (quint32(f) << 24));
}
