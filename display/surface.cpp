#include "surface.h"

#include <QPaintEvent>
#include <QPainter>

Surface::Surface(const QImage &background, QWidget *parent)
    : QWidget(parent),
      m_background(background.convertToFormat(QImage::Format_RGB32)),
      m_image(m_background)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(m_background.size());
}

void Surface::Clear()
{
    m_image = m_background;
    update();
}

void Surface::Copy(const QImage &strip, QRect source, QPoint dest)
{
    QPainter painter(&m_image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(dest, strip, source);
    update(QRect(dest, source.size()));
}

void Surface::paintEvent(QPaintEvent *event)
{
    QPainter(this).drawImage(event->rect(), m_image, event->rect());
}
