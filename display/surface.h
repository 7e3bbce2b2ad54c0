// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

// A picture box that is drawn on: it keeps a backing image that starts as
// its background picture and collects opaque copies out of the strips.
class Surface : public QWidget {
    Q_OBJECT
public:
    explicit Surface(const QImage &background, QWidget *parent = nullptr);

    // Back to the background picture; children are not touched. Only what
    // was drawn since the last clear is put back.
    void Clear();
    // Replaces the pixels at dest with the strip's source rectangle, one to
    // one. The part of source that lies outside the strip is not copied.
    void Copy(const QImage &strip, QRect source, QPoint dest);

    const QImage &image() const { return m_image; }
    // Counts the clears and copies: the same revision, the same picture.
    quint64 revision() const { return m_revision; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Drawing is shown once the handler that draws returns, and only where
    // the pixels differ from what is on screen: a status update that
    // clears and redraws the same digits costs no repaint. Every step works
    // on the rectangles drawn, never on the whole picture: the status
    // update draws five times a second.
    QRect copyRows(const QImage &strip, QRect source, QPoint dest);
    void touched(const QRect &area);
    void scheduleShow();
    void showChanges();

    QImage m_background;
    QImage m_image;
    QImage m_shown;
    QRect m_drawnSinceClear;  // where m_image may differ from m_background
    QRect m_unshown;          // where m_image may differ from m_shown
    bool m_showPending = false;
    quint64 m_revision = 0;
};
