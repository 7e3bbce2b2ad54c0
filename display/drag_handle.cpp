// SPDX-License-Identifier: GPL-3.0-or-later
#include "drag_handle.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWindow>

namespace {
constexpr int kSettlingMs = 1000;

bool buttonIsUp(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        return true;
    case QEvent::MouseMove:
        return static_cast<const QMouseEvent *>(event)->buttons() == Qt::NoButton;
    default:
        return false;
    }
}
}  // namespace

DragHandle::DragHandle(QWidget *parent) : QWidget(parent)
{
    m_settling.setSingleShot(true);
    m_settling.setInterval(kSettlingMs);
    connect(&m_settling, &QTimer::timeout, this, &DragHandle::stopWatching);
}

void DragHandle::mousePressEvent(QMouseEvent *event)
{
    emit pressed(event->button());
    if (event->button() == Qt::LeftButton && !moving())
        startMove(event->globalPosition().toPoint());
}

void DragHandle::startMove(QPoint pointer)
{
    m_settling.stop();
    QWindow *handle = window()->windowHandle();
    if (handle && handle->startSystemMove()) {
        // The window manager holds the mouse until the button is let go
        // and tells the application nothing; the first mouse event that
        // reaches the application afterwards shows the button is up.
        m_move = Move::BySystem;
        qApp->installEventFilter(this);
        return;
    }
    m_move = Move::FollowingMouse;
    m_pointerAtPress = pointer;
    m_windowAtPress = window()->pos();
}

void DragHandle::mouseMoveEvent(QMouseEvent *event)
{
    if (m_move == Move::FollowingMouse)
        window()->move(m_windowAtPress + event->globalPosition().toPoint() - m_pointerAtPress);
}

void DragHandle::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_move == Move::FollowingMouse && event->button() == Qt::LeftButton)
        endMove();
}

// A window closed in the middle of a move still reports where it was left.
void DragHandle::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (moving())
        endMove();
    stopWatching();
}

bool DragHandle::eventFilter(QObject *watched, QEvent *event)
{
    if (m_move == Move::BySystem && buttonIsUp(event))
        systemMoveReleased();
    else if (m_settling.isActive() && watched == window() && event->type() == QEvent::Move)
        emit moveEnded();
    return false;
}

// The window's new place arrives from the window manager together with
// the release, after it; the events already on their way go first.
void DragHandle::systemMoveReleased()
{
    m_move = Move::None;
    m_settling.start();
    QTimer::singleShot(0, this, &DragHandle::moveEnded);
}

void DragHandle::endMove()
{
    if (m_move == Move::BySystem)
        stopWatching();
    m_move = Move::None;
    emit moveEnded();
}

void DragHandle::stopWatching()
{
    m_settling.stop();
    qApp->removeEventFilter(this);
}
