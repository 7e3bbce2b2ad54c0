#include "surface.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

Surface::Surface(const QImage &background, QWidget *parent)
    : QWidget(parent),
      m_background(background.convertToFormat(QImage::Format_RGB32)),
      m_image(m_background),
      m_shown(m_background)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(m_background.size());
}

void Surface::Clear()
{
    m_image = m_background;
    scheduleShow();
}

void Surface::Copy(const QImage &strip, QRect source, QPoint dest)
{
    QPainter painter(&m_image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(dest, strip, source);
    scheduleShow();
}

void Surface::scheduleShow()
{
    if (m_showPending)
        return;
    m_showPending = true;
    QMetaObject::invokeMethod(this, &Surface::showChanges, Qt::QueuedConnection);
}

namespace {
// The smallest rectangle holding every pixel in which two images of one
// size differ.
QRect changedRect(const QImage &a, const QImage &b)
{
    const int width = a.width();
    int top = -1, bottom = -1, left = width, right = -1;
    for (int y = 0; y < a.height(); ++y) {
        const auto *rowA = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *rowB = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        bool differs = false;
        for (int x = 0; x < width; ++x) {
            if (rowA[x] == rowB[x])
                continue;
            differs = true;
            left = std::min(left, x);
            right = std::max(right, x);
        }
        if (differs) {
            top = top < 0 ? y : top;
            bottom = y;
        }
    }
    return top < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}
} // namespace

void Surface::showChanges()
{
    m_showPending = false;
    const QRect changed = changedRect(m_shown, m_image);
    if (!changed.isEmpty())
        update(changed);
    m_shown = m_image;
}

void Surface::paintEvent(QPaintEvent *event)
{
    QPainter(this).drawImage(event->rect(), m_image, event->rect());
}
