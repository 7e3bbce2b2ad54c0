// SPDX-License-Identifier: GPL-3.0-or-later
#include "digit_display.h"

#include "strip_cells.h"
#include "surface.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace {

constexpr int kSlotCount = 16;
constexpr int kColon = 0;

// The copies in drawing order; slots count from 1, kColon is the colon.
// A colon reaches under the following digit, which is drawn after it.
struct DigitCopy {
    int slot;
    int x;
    int y;
};
constexpr DigitCopy kCopies[] = {
    {1, 0, 0},   {2, 11, 0},  {3, 27, 0},  {4, 38, 0},  {kColon, 49, 0},   {5, 56, 0},  {6, 67, 0},
    {7, 95, 0},  {8, 106, 0}, {kColon, 117, 0},         {9, 124, 0},       {10, 136, 0},
    {11, 0, 15}, {12, 11, 15}, {13, 27, 15}, {14, 38, 15}, {kColon, 49, 15}, {15, 56, 15}, {16, 67, 15},
};

constexpr int kNoDigit = -1;

int digitOf(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ? c.unicode() - '0' : kNoDigit;
}

int digitOf(qint16 n)
{
    return (n >= 0 && n <= 9) ? n : kNoDigit;
}

// The digit each slot shows, in slot order.
std::array<int, kSlotCount> slotDigits(const DigitVariables &d)
{
    return {digitOf(d.trackTens),  digitOf(d.trackUnits),  digitOf(d.elapsedMinuteTens),  digitOf(d.elapsedMinuteUnits),
            digitOf(d.elapsedSecondTens),  digitOf(d.elapsedSecondUnits),  digitOf(d.trackMinuteTens), digitOf(d.trackMinuteUnits),
            digitOf(d.trackSecondTens), digitOf(d.trackSecondUnits), digitOf(d.trackCountTens),  digitOf(d.trackCountUnits),
            digitOf(d.discMinuteTens),  digitOf(d.discMinuteUnits),  digitOf(d.discSecondTens),  digitOf(d.discSecondUnits)};
}

// What the slots show, read as a sentence: the display for a screen reader.
QString reading(const qint32 (&srcX)[kSlotCount])
{
    QString shown;
    for (const qint32 x : srcX) {
        int digit = 0;
        while (digit < 9 && DigitStripCells::digitX(digit) != x)
            ++digit;
        shown += QChar(u'0' + digit);
    }
    return QStringLiteral("トラック %1　%2:%3 / %4:%5　全 %6 トラック %7:%8")
        .arg(shown.mid(0, 2), shown.mid(2, 2), shown.mid(4, 2), shown.mid(6, 2), shown.mid(8, 2),
             shown.mid(10, 2), shown.mid(12, 2), shown.mid(14, 2));
}

}  // namespace

bool DigitDisplay::showsAlready(const Surface *trackDisplay, bool blank) const
{
    return m_drawn.surface == trackDisplay && m_drawn.revision == trackDisplay->revision() && m_drawn.blank == blank
           && std::equal(std::begin(DigitSrcX), std::end(DigitSrcX), std::begin(m_drawn.srcX));
}

void DigitDisplay::drawDigits(Surface *trackDisplay, const QImage &digitStrip, const DigitVariables &d, const QString &trackField)
{
    const std::array<int, kSlotCount> digits = slotDigits(d);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (digits[slot] != kNoDigit)
            DigitSrcX[slot] = DigitStripCells::digitX(digits[slot]);
    }

    const bool blank = trackField == QLatin1String("00");
    if (showsAlready(trackDisplay, blank))
        return;

    // A screen reader is told only when the reading changes.
    if (const QString name = blank ? QString() : reading(DigitSrcX); name != trackDisplay->accessibleName())
        trackDisplay->setAccessibleName(name);
    trackDisplay->Clear();
    if (!blank) {
        for (const DigitCopy &copy : kCopies) {
            const QRect cell = copy.slot == kColon
                ? DigitStripCells::Colon
                : QRect(DigitSrcX[copy.slot - 1], 0, DigitStripCells::DigitWidth, DigitStripCells::CellHeight);
            trackDisplay->Copy(digitStrip, cell, QPoint(copy.x, copy.y));
        }
    }
    m_drawn.surface = trackDisplay;
    m_drawn.revision = trackDisplay->revision();
    m_drawn.blank = blank;
    std::copy(std::begin(DigitSrcX), std::end(DigitSrcX), std::begin(m_drawn.srcX));
}
