// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class MainSkin;
class QLabel;

// The track-entry box: "+" while a two-digit entry is armed, and the
// digits typed. Each text is a pair of labels, black over its shadow, and
// both always carry the same caption.
class EntryDisplay {
public:
    explicit EntryDisplay(MainSkin &skin);

    void clear();
    void showPlus();
    void showDigits(const QString &digits);
    // What entryDigits shows; empty while no digit is on display.
    QString digits() const;

private:
    static void setPair(QLabel *const (&pair)[2], const QString &caption);

    MainSkin &m_skin;
};
