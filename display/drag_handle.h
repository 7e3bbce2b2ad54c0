// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QTimer>
#include <QWidget>

// A transparent strip by which its borderless window is moved: a left
// press hands the move to the window manager, or, where none takes it,
// the window follows the mouse until the button is let go.
class DragHandle : public QWidget {
    Q_OBJECT
public:
    explicit DragHandle(QWidget *parent = nullptr);

    bool moving() const { return m_move != Move::None; }

signals:
    // Any press, before a left press starts the move.
    void pressed(Qt::MouseButton button);
    // The move a left press started is over and the window is where it
    // was left. A window manager may report the window's last place only
    // just after the button is let go; then this comes once more.
    void moveEnded();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Move { None, BySystem, FollowingMouse };

    void startMove(QPoint pointer);
    void systemMoveReleased();
    void endMove();
    void stopWatching();

    Move m_move = Move::None;
    QPoint m_pointerAtPress;
    QPoint m_windowAtPress;
    // After a move by the window manager: how long its last word on the
    // window's place is waited for.
    QTimer m_settling;
};
