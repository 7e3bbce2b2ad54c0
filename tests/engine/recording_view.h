// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A window stand-in that writes down what the core asks of it, and a
// sequencing that writes down when it is asked, into the same log.
#include "player_core.h"
#include "player_view.h"
#include "sequencing.h"

#include <QStringList>

class RecordingView : public PlayerView {
public:
    QStringList log;
    bool minimized = false;
    QString caption;

    void drawDigits() override { log << QStringLiteral("DrawDigits"); }
    void drawIndicators() override { log << QStringLiteral("DrawIndicators"); }
    void drawStillDisc() override { log << QStringLiteral("DrawStillDisc"); }
    void showDiscPanel() override { log << QStringLiteral("showDiscPanel"); }
    void showIdlePanel() override { log << QStringLiteral("showIdlePanel"); }
    bool isMinimized() const override { return minimized; }
    void setCaption(const QString &text) override
    {
        log << QStringLiteral("setCaption");
        caption = text;
    }
};

// Also keeps the device mode each check saw in lastMode.
class RecordingSequencing : public Sequencing {
public:
    RecordingSequencing(PlayerCore &core, QStringList &log) : Sequencing(core.sequencingContext()), m_log(log) {}

    QList<qint32> lastModeAtTrackCheck, lastModeAtStopCheck;

    void checkTrackChange() override
    {
        m_log << QStringLiteral("checkTrackChange");
        lastModeAtTrackCheck << m_player.state.lastMode;
        Sequencing::checkTrackChange();
    }
    void checkStop() override
    {
        m_log << QStringLiteral("checkStop");
        lastModeAtStopCheck << m_player.state.lastMode;
        Sequencing::checkStop();
    }

private:
    QStringList &m_log;
};
