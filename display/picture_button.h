// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <QWidget>

// A skin button: a fixed picture that reports the mouse. There is no
// pressed or hover look; the handlers decide which edge of a click acts.
class PictureButton : public QWidget {
    Q_OBJECT
public:
    explicit PictureButton(const QPixmap &picture, QWidget *parent = nullptr);

    const QPixmap &picture() const { return m_picture; }
    // A left press and release, as a mouse gives them: for a screen
    // reader's press.
    void click();

signals:
    void pressed(Qt::MouseButton button);
    // Only when the button is let go over the picture, as a click would.
    void released(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPixmap m_picture;
};
