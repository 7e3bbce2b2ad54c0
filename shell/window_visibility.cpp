// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_visibility.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

namespace {

xcb_connection_t *x11Connection()
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

}  // namespace

WindowVisibility::WindowVisibility(QWidget *window) : QObject(window), m_window(window)
{
    window->installEventFilter(this);
    if (QWindow *handle = window->windowHandle())
        handle->installEventFilter(this);
    askX11ForCoverage();
    update();
}

WindowVisibility::~WindowVisibility()
{
    if (m_x11Window)
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

// Qt does not ask the X server whether its windows are covered; the
// window's own event mask gains the visibility events, keeping Qt's.
void WindowVisibility::askX11ForCoverage()
{
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return;
    m_x11Window = unsigned(m_window->winId());
    xcb_get_window_attributes_reply_t *attributes = xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, m_x11Window), nullptr);
    if (!attributes) {
        m_x11Window = 0;
        return;
    }
    const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_VISIBILITY_CHANGE;
    free(attributes);
    xcb_change_window_attributes(connection, m_x11Window, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

bool WindowVisibility::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & ~0x80) != XCB_VISIBILITY_NOTIFY)
        return false;
    const auto *visibility = reinterpret_cast<const xcb_visibility_notify_event_t *>(event);
    if (visibility->window == m_x11Window)
        setCovered(visibility->state == XCB_VISIBILITY_FULLY_OBSCURED);
    return false;
}

void WindowVisibility::setCovered(bool covered)
{
    m_covered = covered;
    update();
}

bool WindowVisibility::eventFilter(QObject *, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Expose:
        m_exposeKnown = true;
        [[fallthrough]];
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::WindowStateChange:
        // Qt changes the state it reports after telling of the change.
        QMetaObject::invokeMethod(this, &WindowVisibility::update, Qt::QueuedConnection);
        break;
    default:
        break;
    }
    return false;
}

void WindowVisibility::update()
{
    const QWindow *handle = m_window->windowHandle();
    const bool seen = m_window->isVisible() && !m_window->isMinimized() && !m_covered
                      && (!m_exposeKnown || !handle || handle->isExposed());
    if (seen == m_canBeSeen)
        return;
    m_canBeSeen = seen;
    emit changed(seen);
}
