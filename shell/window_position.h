// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "problem_report.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

class QWidget;
struct PlayerState;

// The main window's place between runs, kept in the settings file: read
// once while loading, rewritten after every press on the drag handle.
class WindowPosition {
public:
    explicit WindowPosition(QString path);
    WindowPosition();

    // Moves the window to where it was left, keeping the values read in
    // savedLeftTwips and savedTopTwips. Without a usable file, or where the window would
    // lie off every screen, the window starts centred on the primary
    // screen, and stderr says why.
    void read(QWidget &window, PlayerState &state) const;

    // Stores the window's current frame position. A failure leaves the
    // player running and is said once, until a write succeeds again.
    void write(const QWidget &window);

    const QString &path() const { return m_path; }

private:
    QString m_path;
    ProblemReport m_writeProblems;
};

// Whether any part of `frame` lies on one of the screens.
bool visibleOnAnyScreen(QRect frame, const QList<QRect> &screens);
