// SPDX-License-Identifier: GPL-3.0-or-later
#include "entry_display.h"

#include "main_skin.h"

#include <QLabel>

EntryDisplay::EntryDisplay(MainSkin &skin) : m_skin(skin) {}

void EntryDisplay::clear()
{
    setPair(m_skin.PluN, QString());
    setPair(m_skin.ContTr, QString());
}

void EntryDisplay::showPlus() { setPair(m_skin.PluN, QStringLiteral("+")); }

void EntryDisplay::showDigits(const QString &digits) { setPair(m_skin.ContTr, digits); }

QString EntryDisplay::digits() const { return m_skin.ContTr[0]->text(); }

void EntryDisplay::setPair(QLabel *const (&pair)[2], const QString &caption)
{
    for (QLabel *label : pair)
        label->setText(caption);
}
