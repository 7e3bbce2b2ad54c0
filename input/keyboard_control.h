// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// input/: the main window's keys and typed track numbers. Uses engine/ and
// display/; what the keys reach beyond the core, it reaches through
// KeyboardTargets.

#include "track_entry.h"

#include <QObject>

class KeyboardTargets;
class MainSkin;
class PlayerCore;
class QWidget;
class Transport;

// The main window's single-key shortcuts. The window answers them
// whichever of its widgets has the focus; the typed character decides, so
// "p" and "P" are both listed, and auto-repeat types again. Keys outside
// the table are left to the widget, and with no usable disc every key is
// ignored.
class KeyboardControl : public QObject {
    Q_OBJECT
public:
    KeyboardControl(QWidget *window, PlayerCore &core, Transport &transport, MainSkin &skin,
                    KeyboardTargets &targets);

    // The window's key-press for one typed character; false when the
    // character is not a key of the table.
    bool typeCharacter(QChar key);

    TrackEntry &entry() { return m_entry; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool isOnWindow(QObject *object) const;
    void repeatKey();

    QWidget *m_window;
    PlayerCore &m_core;
    Transport &m_transport;
    KeyboardTargets &m_targets;
    TrackEntry m_entry;
};
