#include "drag_handle.h"

#include <QMouseEvent>

DragHandle::DragHandle(QWidget *parent) : QWidget(parent) {}

void DragHandle::mousePressEvent(QMouseEvent *event)
{
    emit pressed(event->button());
}
