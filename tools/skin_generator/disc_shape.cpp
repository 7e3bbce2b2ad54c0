// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc_shape.h"

namespace {

QPainterPath circle(QPointF centre, qreal radius)
{
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

QPainterPath ring(QPointF centre, qreal outer, qreal inner)
{
    return circle(centre, outer).subtracted(circle(centre, inner));
}

}  // namespace

QPainterPath compactDisc(QPointF centre, qreal radius, qreal turn)
{
    // In units of a seventh of the radius: rim 1, hub 2.6 across a hole of 1.2.
    const qreal unit = radius / 7.0;
    QPainterPath path = ring(centre, radius, radius - unit).united(ring(centre, 2.6 * unit, 1.2 * unit));
    // The reflections float between hub and rim, clear of both.
    const qreal reach = radius - 1.6 * unit;
    for (const qreal start : {30.0 + turn, 210.0 + turn}) {
        QPainterPath wedge;
        wedge.moveTo(centre);
        wedge.arcTo(QRectF(centre - QPointF(reach, reach), QSizeF(2 * reach, 2 * reach)), start, 50.0);
        wedge.closeSubpath();
        path = path.united(wedge.subtracted(circle(centre, 3.6 * unit)));
    }
    return path;
}
