// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_button.h"

#include <QMouseEvent>
#include <QPainter>

PictureButton::PictureButton(const QPixmap &picture, QWidget *parent)
    : QWidget(parent), m_picture(picture)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(m_picture.deviceIndependentSize().toSize());
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QPainter(this).drawPixmap(0, 0, m_picture);
}

void PictureButton::mousePressEvent(QMouseEvent *event)
{
    emit pressed(event->button());
}

void PictureButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (rect().contains(event->position().toPoint()))
        emit released(event->button());
}

void PictureButton::click()
{
    emit pressed(Qt::LeftButton);
    emit released(Qt::LeftButton);
}
