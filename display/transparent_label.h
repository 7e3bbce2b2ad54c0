// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QLabel>
#include <QRgb>

// Text on a skin: no background of its own, and presses fall through to
// what lies below, as on a label without a window.
QLabel *transparentLabel(const QString &text, QRgb colour, const QFont &font, Qt::Alignment alignment,
                         QWidget *parent);
