#include "surface.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstring>

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
    if (strip.format() == m_image.format() && strip.depth() == 32)
        copyRows(strip, source, dest);
    else
        QPainter(&m_image).drawImage(dest, strip.convertToFormat(m_image.format()), source);
    scheduleShow();
}

// An opaque copy is a copy of pixel rows: no painter to set up for each of
// the many small glyphs a status update draws.
void Surface::copyRows(const QImage &strip, QRect source, QPoint dest)
{
    const QRect from = source & strip.rect();
    const QRect target = QRect(dest + (from.topLeft() - source.topLeft()), from.size()) & m_image.rect();
    if (target.isEmpty())
        return;
    const QPoint origin = from.topLeft() + (target.topLeft() - (dest + (from.topLeft() - source.topLeft())));
    for (int y = 0; y < target.height(); ++y)
        std::memcpy(m_image.scanLine(target.top() + y) + target.left() * 4,
                    strip.constScanLine(origin.y() + y) + origin.x() * 4, size_t(target.width()) * 4);
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
