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
    return {digitOf(d.TrD1),  digitOf(d.TrD2),  digitOf(d.PmD1),  digitOf(d.PmD2),
            digitOf(d.PsD1),  digitOf(d.PsD2),  digitOf(d.TlmD1), digitOf(d.TlmD2),
            digitOf(d.TlsD1), digitOf(d.TlsD2), digitOf(d.TcD1),  digitOf(d.TcD2),
            digitOf(d.LmD1),  digitOf(d.LmD2),  digitOf(d.LsD1),  digitOf(d.LsD2)};
}

// What the slots show, read as a sentence: the display for a screen reader.
QString reading(const qint32 (&srcX)[kSlotCount])
{
    QString shown;
    for (const qint32 x : srcX) {
        int digit = 0;
        while (digit < 9 && TimPicCells::digitX(digit) != x)
            ++digit;
        shown += QChar(u'0' + digit);
    }
    return QStringLiteral("トラック %1　%2:%3 / %4:%5　全 %6 トラック %7:%8")
        .arg(shown.mid(0, 2), shown.mid(2, 2), shown.mid(4, 2), shown.mid(6, 2), shown.mid(8, 2),
             shown.mid(10, 2), shown.mid(12, 2), shown.mid(14, 2));
}

}  // namespace

bool DigitDisplay::showsAlready(const Surface *DspT, bool blank) const
{
    return m_drawn.surface == DspT && m_drawn.revision == DspT->revision() && m_drawn.blank == blank
           && std::equal(std::begin(DigitSrcX), std::end(DigitSrcX), std::begin(m_drawn.srcX));
}

void DigitDisplay::DrawDigits(Surface *DspT, const QImage &TimPic, const DigitVariables &d, const QString &Text1)
{
    const std::array<int, kSlotCount> digits = slotDigits(d);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (digits[slot] != kNoDigit)
            DigitSrcX[slot] = TimPicCells::digitX(digits[slot]);
    }

    const bool blank = Text1 == QLatin1String("00");
    if (showsAlready(DspT, blank))
        return;

    // A screen reader is told only when the reading changes.
    if (const QString name = blank ? QString() : reading(DigitSrcX); name != DspT->accessibleName())
        DspT->setAccessibleName(name);
    DspT->Clear();
    if (!blank) {
        for (const DigitCopy &copy : kCopies) {
            const QRect cell = copy.slot == kColon
                ? TimPicCells::Colon
                : QRect(DigitSrcX[copy.slot - 1], 0, TimPicCells::DigitWidth, TimPicCells::CellHeight);
            DspT->Copy(TimPic, cell, QPoint(copy.x, copy.y));
        }
    }
    m_drawn.surface = DspT;
    m_drawn.revision = DspT->revision();
    m_drawn.blank = blank;
    std::copy(std::begin(DigitSrcX), std::end(DigitSrcX), std::begin(m_drawn.srcX));
}
