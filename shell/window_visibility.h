// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

class QWidget;

// Whether anyone can see a top-level window: shown and not minimized,
// exposed (a window manager unmaps the windows of other workspaces), and
// on X11 not wholly covered by other windows (a screen locker covers every
// window too). Says when that changes, so that drawing nobody can see is
// left out and made up for the moment it can be seen again.
class WindowVisibility : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // window must have been shown once, so that it has its native window.
    explicit WindowVisibility(QWidget *window);
    ~WindowVisibility() override;

    bool canBeSeen() const { return m_canBeSeen; }

    // For tests, and for window systems that say nothing of it: the window
    // counts as wholly covered, or not.
    void setCovered(bool covered);

signals:
    void changed(bool canBeSeen);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    void askX11ForCoverage();
    void update();

    QWidget *m_window;
    unsigned m_x11Window = 0;  // 0: not on X11
    bool m_covered = false;
    // Until the window system first tells whether the window is exposed,
    // it counts as seen: drawing before the first frame is never wasted.
    bool m_exposeKnown = false;
    bool m_canBeSeen = true;
};
