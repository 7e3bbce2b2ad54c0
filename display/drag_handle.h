#pragma once

#include <QWidget>

// The transparent strip on the title band by which the borderless window
// is moved. It only reports the press; the window does the moving.
class DragHandle : public QWidget {
    Q_OBJECT
public:
    explicit DragHandle(QWidget *parent = nullptr);

signals:
    void pressed(Qt::MouseButton button);

protected:
    void mousePressEvent(QMouseEvent *event) override;
};
