// SPDX-License-Identifier: GPL-3.0-or-later
#include "digit_display.h"
#include "main_skin.h"
#include "skin_fixture.h"
#include "pixel_compose.h"

#include <QAccessible>
#include <QtTest>

namespace {

const QRgb kDigitBackground = qRgb(75, 198, 250);
const QRect kColonCell(123, 0, 9, 15);

QRect digitCell(char digit)
{
    return QRect(11 * (digit - '0' + 1), 0, 11, 15);
}

DigitVariables digitsOf(const char *track, const char *elapsed, const char *trackLength, const char *tracks,
                        const char *discLength)
{
    // Times are given as "MMSS".
    auto c = [](char ch) { return QLatin1Char(ch); };
    DigitVariables d;
    d.trackTens = c(track[0]), d.trackUnits = c(track[1]);
    d.elapsedMinuteTens = c(elapsed[0]), d.elapsedMinuteUnits = c(elapsed[1]), d.elapsedSecondTens = c(elapsed[2]), d.elapsedSecondUnits = c(elapsed[3]);
    d.trackMinuteTens = c(trackLength[0]), d.trackMinuteUnits = c(trackLength[1]);
    d.trackSecondTens = c(trackLength[2]), d.trackSecondUnits = c(trackLength[3]);
    d.trackCountTens = c(tracks[0]), d.trackCountUnits = qint16(tracks[1] - '0');
    d.discMinuteTens = c(discLength[0]), d.discMinuteUnits = c(discLength[1]), d.discSecondTens = c(discLength[2]), d.discSecondUnits = c(discLength[3]);
    return d;
}

}  // namespace

class DigitsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SkinnedWindow> m_fixture;
    MainSkin *m_skin = nullptr;

    // Both rows as the player shows them, copied in drawing order; a
    // colon is overdrawn by the digit after it.
    QImage expected(const char *track, const char *elapsed, const char *trackLength, const char *tracks,
                    const char *discLength) const
    {
        const QImage *strip = &m_skin->digitStrip;
        auto digit = [strip](char ch, int x, int y) { return Blit{strip, digitCell(ch), QPoint(x, y)}; };
        auto colon = [strip](int x, int y) { return Blit{strip, kColonCell, QPoint(x, y)}; };
        return compose(plain(QSize(155, 30), kDigitBackground),
                       {digit(track[0], 0, 0), digit(track[1], 11, 0),
                        digit(elapsed[0], 27, 0), digit(elapsed[1], 38, 0), colon(49, 0),
                        digit(elapsed[2], 56, 0), digit(elapsed[3], 67, 0),
                        digit(trackLength[0], 95, 0), digit(trackLength[1], 106, 0), colon(117, 0),
                        digit(trackLength[2], 124, 0), digit(trackLength[3], 136, 0),
                        digit(tracks[0], 0, 15), digit(tracks[1], 11, 15),
                        digit(discLength[0], 27, 15), digit(discLength[1], 38, 15), colon(49, 15),
                        digit(discLength[2], 56, 15), digit(discLength[3], 67, 15)});
    }

private slots:
    void init()
    {
        m_fixture = std::make_unique<SkinnedWindow>();
        m_skin = &m_fixture->skin;
    }

    void cleanup() { m_fixture.reset(); }

    void showsTrackTimesAndDiscWithLeadingZeros()
    {
        DigitDisplay display;
        display.drawDigits(m_skin->trackDisplay, m_skin->digitStrip, digitsOf("07", "0305", "0431", "12", "5207"), "07");
        COMPARE_IMAGES(m_skin->trackDisplay->image(), expected("07", "0305", "0431", "12", "5207"));
        // What a screen reader reads, and nothing while the display is blank.
        const QAccessibleInterface *text = QAccessible::queryAccessibleInterface(m_skin->trackDisplay);
        QCOMPARE(text->role(), QAccessible::StaticText);
        QCOMPARE(text->text(QAccessible::Name), QStringLiteral("トラック 07　03:05 / 04:31　全 12 トラック 52:07"));
        display.drawDigits(m_skin->trackDisplay, m_skin->digitStrip, digitsOf("07", "0305", "0431", "12", "5207"), "00");
        QCOMPARE(text->text(QAccessible::Name), QString());
    }

    void drawsTheColonsAtZeroTimes()
    {
        DigitDisplay display;
        display.drawDigits(m_skin->trackDisplay, m_skin->digitStrip, digitsOf("01", "0000", "0000", "01", "0000"), "01");
        COMPARE_IMAGES(m_skin->trackDisplay->image(), expected("01", "0000", "0000", "01", "0000"));
    }

    void redrawReplacesThePreviousDigits()
    {
        DigitDisplay display;
        display.drawDigits(m_skin->trackDisplay, m_skin->digitStrip, digitsOf("88", "8888", "8888", "88", "8888"), "88");
        display.drawDigits(m_skin->trackDisplay, m_skin->digitStrip, digitsOf("10", "1111", "0101", "10", "1010"), "10");
        COMPARE_IMAGES(m_skin->trackDisplay->image(), expected("10", "1111", "0101", "10", "1010"));
    }

    // The same digits again are not drawn again, unless something else
    // drew on the surface meanwhile.
    void sameDigitsAfterAForeignDrawingAreDrawnAgain()
    {
        DigitDisplay display;
        const DigitVariables d = digitsOf("07", "0305", "0431", "12", "5207");
        display.drawDigits(m_skin->trackDisplay, m_skin->digitStrip, d, "07");
        const quint64 drawn = m_skin->trackDisplay->revision();
        display.drawDigits(m_skin->trackDisplay, m_skin->digitStrip, d, "07");
        QCOMPARE(m_skin->trackDisplay->revision(), drawn);
        m_skin->trackDisplay->Copy(m_skin->digitStrip, digitCell('8'), QPoint(0, 0));
        display.drawDigits(m_skin->trackDisplay, m_skin->digitStrip, d, "07");
        COMPARE_IMAGES(m_skin->trackDisplay->image(), expected("07", "0305", "0431", "12", "5207"));
    }

    void staysBlankWithoutDiscButRemembersTheDigits()
    {
        DigitDisplay display;
        display.drawDigits(m_skin->trackDisplay, m_skin->digitStrip, digitsOf("07", "0305", "0431", "12", "5207"), "07");
        display.drawDigits(m_skin->trackDisplay, m_skin->digitStrip, digitsOf("09", "1234", "5678", "34", "9012"), "00");
        COMPARE_IMAGES(m_skin->trackDisplay->image(), plain(QSize(155, 30), kDigitBackground));

        const qint32 offsets[16] = {11, 110, 22, 33, 44, 55, 66, 77, 88, 99, 44, 55, 110, 11, 22, 33};
        for (int slot = 0; slot < 16; ++slot)
            QCOMPARE(display.DigitSrcX[slot], offsets[slot]);
    }

    void startsWithEveryOffsetOnTheBlankCell()
    {
        const DigitDisplay display;
        for (const qint32 offset : display.DigitSrcX)
            QCOMPARE(offset, 0);
    }

    void slotWithoutDigitKeepsWhatItShowed()
    {
        DigitDisplay display;
        display.drawDigits(m_skin->trackDisplay, m_skin->digitStrip, digitsOf("07", "0305", "0431", "12", "5207"), "07");
        DigitVariables d = digitsOf("08", "0306", "0431", "13", "5207");
        d.trackUnits = QLatin1Char('x');
        d.elapsedSecondUnits = QChar();
        d.trackCountUnits = 10;
        display.drawDigits(m_skin->trackDisplay, m_skin->digitStrip, d, "08");
        QCOMPARE(display.DigitSrcX[1], 88);   // still the 7
        QCOMPARE(display.DigitSrcX[5], 66);   // still the 5
        QCOMPARE(display.DigitSrcX[11], 33);  // still the 2
        COMPARE_IMAGES(m_skin->trackDisplay->image(), expected("07", "0305", "0431", "12", "5207"));
    }

    void neverDrawnSlotShowsTheBlankCell()
    {
        DigitDisplay display;
        DigitVariables d = digitsOf("07", "0305", "0431", "12", "5207");
        d.trackTens = QChar();
        display.drawDigits(m_skin->trackDisplay, m_skin->digitStrip, d, "07");
        QImage blankSlot = expected("07", "0305", "0431", "12", "5207");
        blankSlot = compose(blankSlot, {Blit{&m_skin->digitStrip, QRect(0, 0, 11, 15), QPoint(0, 0)}});
        COMPARE_IMAGES(m_skin->trackDisplay->image(), blankSlot);
    }
};

QTEST_MAIN(DigitsTest)
#include "tst_display_digits.moc"
