// SPDX-License-Identifier: GPL-3.0-or-later
#include "surface.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace {

// Copies the pixels of area from one image to another of the same size and
// format.
void copyArea(const QImage &from, QImage &to, const QRect &area)
{
    const size_t bytes = size_t(area.width()) * 4;
    for (int y = area.top(); y <= area.bottom(); ++y)
        std::memcpy(to.scanLine(y) + area.left() * 4, from.constScanLine(y) + area.left() * 4, bytes);
}

// The smallest rectangle inside area holding every pixel in which two
// images of one size differ.
QRect changedRect(const QImage &a, const QImage &b, const QRect &area)
{
    const size_t bytes = size_t(area.width()) * 4;
    int top = -1, bottom = -1, left = area.right() + 1, right = -1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto *rowA = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *rowB = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        if (std::memcmp(rowA + area.left(), rowB + area.left(), bytes) == 0)
            continue;
        for (int x = area.left(); x <= area.right(); ++x) {
            if (rowA[x] == rowB[x])
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
        }
        top = top < 0 ? y : top;
        bottom = y;
    }
    return top < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

Surface::Surface(const QImage &background, QWidget *parent)
    : QWidget(parent), m_background(background.convertToFormat(QImage::Format_RGB32))
{
    // Three pictures of their own: a shared one would be copied whole at
    // the first pixel drawn after each clear.
    m_image = m_background.copy();
    m_shown = m_background.copy();
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(m_background.size());
}

void Surface::Clear()
{
    ++m_revision;
    if (m_drawnSinceClear.isEmpty())
        return;
    copyArea(m_background, m_image, m_drawnSinceClear);
    touched(m_drawnSinceClear);
    m_drawnSinceClear = QRect();
}

void Surface::Copy(const QImage &strip, QRect source, QPoint dest)
{
    ++m_revision;
    QRect target;
    if (strip.format() == m_image.format() && strip.depth() == 32) {
        target = copyRows(strip, source, dest);
    } else {
        QPainter(&m_image).drawImage(dest, strip.convertToFormat(m_image.format()), source);
        target = QRect(dest, source.size()) & m_image.rect();
    }
    m_drawnSinceClear |= target;
    touched(target);
}

// An opaque copy is a copy of pixel rows: no painter to set up for each of
// the many small glyphs a status update draws.
QRect Surface::copyRows(const QImage &strip, QRect source, QPoint dest)
{
    const QRect from = source & strip.rect();
    const QRect target = QRect(dest + (from.topLeft() - source.topLeft()), from.size()) & m_image.rect();
    if (target.isEmpty())
        return target;
    const QPoint origin = from.topLeft() + (target.topLeft() - (dest + (from.topLeft() - source.topLeft())));
    for (int y = 0; y < target.height(); ++y)
        std::memcpy(m_image.scanLine(target.top() + y) + target.left() * 4,
                    strip.constScanLine(origin.y() + y) + origin.x() * 4, size_t(target.width()) * 4);
    return target;
}

void Surface::touched(const QRect &area)
{
    if (area.isEmpty())
        return;
    m_unshown |= area;
    scheduleShow();
}

void Surface::scheduleShow()
{
    if (m_showPending)
        return;
    m_showPending = true;
    QMetaObject::invokeMethod(this, &Surface::showChanges, Qt::QueuedConnection);
}

void Surface::showChanges()
{
    m_showPending = false;
    if (m_unshown.isEmpty())
        return;
    const QRect changed = changedRect(m_shown, m_image, m_unshown);
    if (!changed.isEmpty()) {
        // Painted now rather than at the next turn of the event loop: the
        // loop turns once less for each status update.
        repaint(changed);
        copyArea(m_image, m_shown, changed);
    }
    m_unshown = QRect();
}

void Surface::paintEvent(QPaintEvent *event)
{
    QPainter(this).drawImage(event->rect(), m_image, event->rect());
}
