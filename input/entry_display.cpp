// SPDX-License-Identifier: GPL-3.0-or-later
#include "entry_display.h"

#include "main_skin.h"

#include <QLabel>

EntryDisplay::EntryDisplay(MainSkin &skin) : m_skin(skin) {}

void EntryDisplay::clear()
{
    setPair(m_skin.entryPlus, QString());
    setPair(m_skin.entryDigits, QString());
}

void EntryDisplay::showPlus() { setPair(m_skin.entryPlus, QStringLiteral("+")); }

void EntryDisplay::showDigits(const QString &digits) { setPair(m_skin.entryDigits, digits); }

QString EntryDisplay::digits() const { return m_skin.entryDigits[0]->text(); }

void EntryDisplay::setPair(QLabel *const (&pair)[2], const QString &caption)
{
    for (QLabel *label : pair)
        label->setText(caption);
}
