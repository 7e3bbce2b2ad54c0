// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Expected pictures for the drawing tests, built pixel by pixel from the
// strips, without any of the display's own drawing code.

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <vector>

struct Blit {
    const QImage *strip;
    QRect source;
    QPoint dest;
};

// base with every blit applied in order; source pixels outside the strip
// are not copied.
inline QImage compose(const QImage &base, const std::vector<Blit> &blits)
{
    QImage out = base.convertToFormat(QImage::Format_RGB32);
    for (const Blit &blit : blits) {
        for (int y = blit.source.top(); y <= blit.source.bottom(); ++y) {
            for (int x = blit.source.left(); x <= blit.source.right(); ++x) {
                const QPoint to = blit.dest + QPoint(x, y) - blit.source.topLeft();
                if (blit.strip->rect().contains(x, y) && out.rect().contains(to))
                    out.setPixel(to, blit.strip->pixel(x, y));
            }
        }
    }
    return out;
}

inline QImage plain(QSize size, QRgb colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The first pixel where the two differ, for a readable failure.
inline QString firstDifference(const QImage &actual, const QImage &expected)
{
    if (actual.size() != expected.size())
        return QStringLiteral("size %1x%2, expected %3x%4")
            .arg(actual.width()).arg(actual.height()).arg(expected.width()).arg(expected.height());
    const QImage a = actual.convertToFormat(QImage::Format_RGB32);
    const QImage e = expected.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != e.pixel(x, y))
                return QStringLiteral("pixel %1,%2 is #%3, expected #%4")
                    .arg(x).arg(y).arg(a.pixel(x, y) & 0xffffff, 6, 16, QLatin1Char('0'))
                    .arg(e.pixel(x, y) & 0xffffff, 6, 16, QLatin1Char('0'));
        }
    }
    return QString();
}

#define COMPARE_IMAGES(actual, expected)                                      \
    do {                                                                      \
        const QString difference = firstDifference((actual), (expected));     \
        QVERIFY2(difference.isEmpty(), qPrintable(difference));               \
    } while (false)
