// SPDX-License-Identifier: GPL-3.0-or-later
#include "transparent_label.h"

QLabel *transparentLabel(const QString &text, QRgb colour, const QFont &font, Qt::Alignment alignment,
                         QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor::fromRgb(colour));
    label->setPalette(palette);
    label->setFont(font);
    label->setContentsMargins(0, 0, 0, 0);
    label->setAlignment(alignment);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}
