// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPainterPath>
#include <QPointF>

// A compact disc seen from above: rim, hub and two opposite reflections,
// turned `turn` degrees; drawn to any radius.
QPainterPath compactDisc(QPointF centre, qreal radius, qreal turn);
