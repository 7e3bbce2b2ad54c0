// SPDX-License-Identifier: GPL-3.0-or-later
#include "keyboard_control.h"

#include "keyboard_targets.h"
#include "player_core.h"
#include "transport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <cstring>

namespace {
bool inKeyTable(char typed)
{
    return typed != 0 && ((typed >= '0' && typed <= '9') || std::strchr("+pPrRsSdDvV", typed));
}
}  // namespace

// The application sees every key before the focused widget does, which is
// how the window gets its keys from any child, whatever that child does
// with keys itself.
KeyboardControl::KeyboardControl(QWidget *window, PlayerCore &core, Transport &transport,
                                 MainSkin &skin, KeyboardTargets &targets)
    : QObject(window),
      m_window(window),
      m_core(core),
      m_transport(transport),
      m_targets(targets),
      m_entry(core, skin, targets)
{
    qApp->installEventFilter(this);
}

bool KeyboardControl::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !isOnWindow(watched))
        return false;
    bool taken = false;
    for (QChar key : static_cast<QKeyEvent *>(event)->text())
        taken = typeCharacter(key) || taken;
    return taken;
}

// The application's filter sees keys even for disabled widgets; a window
// disabled while the program editor is open takes none.
bool KeyboardControl::isOnWindow(QObject *object) const
{
    if (!object->isWidgetType())
        return false;
    const auto *widget = static_cast<QWidget *>(object);
    return widget->window() == m_window && widget->isEnabled();
}

bool KeyboardControl::typeCharacter(QChar key)
{
    const char typed = key.toLatin1();
    if (!inKeyTable(typed))
        return false;
    if (!m_core.hasDisc())
        return true;
    switch (typed) {
    case '+': m_entry.plusKey(); break;
    case 'p': case 'P': m_targets.openProgramEditor(); break;
    case 'r': case 'R': repeatKey(); break;
    case 's': case 'S': m_transport.toggleMute(); break;
    case 'd': case 'D': m_targets.cancelReservation(); break;
    case 'v': case 'V': m_targets.showProductInformation(); break;
    default: m_entry.digitKey(key);
    }
    return true;
}

// The repeat button's procedure; during program play the key leaves the
// repeat track as it was, since the program decides what plays next.
void KeyboardControl::repeatKey()
{
    const int repeatTrack = m_core.state.repeatTrack;
    const bool programPlay = m_core.state.programReserved;
    m_transport.cycleRepeat();
    if (programPlay)
        m_core.state.repeatTrack = repeatTrack;
}
