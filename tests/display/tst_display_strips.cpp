// SPDX-License-Identifier: GPL-3.0-or-later
#include "main_skin.h"
#include "skin_fixture.h"

#include <QtTest>

#include <set>

namespace {

const QRgb kBackground = qRgb(75, 198, 250);
const QRgb kBlack = qRgb(0, 0, 0);

// Every pixel of the cell, with its strip coordinates.
template <typename F>
void forEachPixel(const QImage &strip, QRect cell, F f)
{
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        for (int x = cell.left(); x <= cell.right(); ++x)
            f(x, y, strip.pixel(x, y));
    }
}

bool isBlank(const QImage &strip, QRect cell)
{
    bool blank = true;
    forEachPixel(strip, cell, [&](int, int, QRgb p) { blank = blank && p == kBackground; });
    return blank;
}

bool hasBlack(const QImage &strip, QRect cell)
{
    bool black = false;
    forEachPixel(strip, cell, [&](int, int, QRgb p) { black = black || p == kBlack; });
    return black;
}

// The smallest rectangle holding every pixel that is not background.
QRect inkBounds(const QImage &strip, QRect cell)
{
    QRect bounds;
    forEachPixel(strip, cell, [&](int x, int y, QRgb p) {
        if (p != kBackground)
            bounds |= QRect(x, y, 1, 1);
    });
    return bounds;
}

QByteArray cellBytes(const QImage &strip, QRect cell)
{
    const QImage copy = strip.copy(cell);
    return QByteArray(reinterpret_cast<const char *>(copy.constBits()), int(copy.sizeInBytes()));
}

QImage picture(const char *file)
{
    return QImage(QStringLiteral(":/skin/") + QLatin1String(file)).convertToFormat(QImage::Format_RGB32);
}

bool near(QRgb actual, QRgb expected, int tolerance)
{
    return qAbs(qRed(actual) - qRed(expected)) <= tolerance && qAbs(qGreen(actual) - qGreen(expected)) <= tolerance
        && qAbs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

}  // namespace

class StripsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SkinnedWindow> m_fixture;
    MainSkin *m_skin = nullptr;

private slots:
    void initTestCase()
    {
        m_fixture = std::make_unique<SkinnedWindow>();
        m_skin = &m_fixture->skin;
    }

    void cleanupTestCase() { m_fixture.reset(); }

    void stripsHaveTheirSizes()
    {
        QCOMPARE(m_skin->digitStrip.size(), QSize(147, 16));
        QCOMPARE(m_skin->iconStrip.size(), QSize(64, 66));
        QCOMPARE(m_skin->modeStrip.size(), QSize(126, 59));
    }

    void digitStrip_blankDigitsAndColon()
    {
        const QImage &strip = m_skin->digitStrip;
        QVERIFY(isBlank(strip, QRect(0, 0, 11, 15)));
        std::set<QByteArray> shapes;
        for (int d = 0; d <= 9; ++d) {
            const QRect cell(11 * (d + 1), 0, 11, 15);
            QVERIFY2(hasBlack(strip, cell), qPrintable(QString::number(d)));
            const QRect ink = inkBounds(strip, cell);
            QVERIFY2(ink.top() >= 3 && ink.bottom() <= 13, qPrintable(QString::number(d)));
            shapes.insert(cellBytes(strip, cell));
        }
        QCOMPARE(shapes.size(), size_t(10));

        const QRect colon(123, 0, 9, 15);
        QVERIFY(hasBlack(strip, colon));
        const QRect dots = inkBounds(strip, colon);
        QVERIFY(dots.left() >= 125 && dots.right() <= 127);
        // Drawn next to a digit the colon must not cut into its glyph.
        QVERIFY(dots.top() >= 3 && dots.bottom() <= 13);
    }

    void digitStrip_matchesTheDigitSurface()
    {
        QCOMPARE(m_skin->digitStrip.pixel(0, 0), m_skin->trackDisplay->image().pixel(0, 0));
    }

    void iconStrip_cellsShowSomethingAndTheOffLampNothing()
    {
        const QImage &strip = m_skin->iconStrip;
        const QRect cells[] = {{0, 0, 16, 16},   {16, 0, 16, 16},  {32, 0, 16, 16}, {0, 17, 16, 16},
                               {17, 17, 16, 16}, {34, 17, 16, 16}, {0, 33, 23, 16}, {25, 33, 23, 16},
                               {0, 50, 27, 12}};
        std::set<QByteArray> shapes;
        for (const QRect &cell : cells) {
            QVERIFY2(hasBlack(strip, cell), qPrintable(QStringLiteral("%1,%2").arg(cell.x()).arg(cell.y())));
            shapes.insert(cellBytes(strip, cell));
        }
        QCOMPARE(shapes.size(), std::size(cells));
        QVERIFY(isBlank(strip, QRect(29, 50, 27, 12)));
    }

    void iconStrip_cellsDoNotSpillIntoEachOther()
    {
        // The copies take whole cells, so ink across a cell edge would be cut off.
        const QImage &strip = m_skin->iconStrip;
        QVERIFY(isBlank(strip, QRect(0, 16, 64, 1)));   // between discs and transport icons
        QVERIFY(isBlank(strip, QRect(16 * 3, 0, 16, 16)));
        QVERIFY(isBlank(strip, QRect(23, 33, 2, 16)));  // between the speakers
        QVERIFY(isBlank(strip, QRect(27, 50, 2, 12)));  // between the lamps
    }

    void modeStrip_bandsAndWhiteSeparators()
    {
        const QImage &strip = m_skin->modeStrip;
        for (const int y : {11, 23, 35, 47}) {
            for (int x = 0; x < strip.width(); ++x)
                QCOMPARE(strip.pixel(x, y), qRgb(255, 255, 255));
        }
        std::set<QByteArray> bands;
        for (int band = 0; band < 5; ++band) {
            const QRect cell(0, 12 * band, 126, 11);
            QVERIFY(hasBlack(strip, cell));
            QCOMPARE(strip.pixel(cell.right(), cell.top()), kBackground);
            bands.insert(cellBytes(strip, cell));
        }
        QCOMPARE(bands.size(), size_t(5));
    }

    void background_frameBandAndField()
    {
        const QImage bg = picture("background.png");
        QCOMPARE(bg.size(), QSize(276, 139));
        for (const QPoint p : {QPoint(0, 0), QPoint(275, 0), QPoint(0, 138), QPoint(275, 138), QPoint(140, 0),
                               QPoint(0, 70)})
            QCOMPARE(bg.pixel(p), kBlack);
        QCOMPARE(bg.pixel(1, 60), qRgb(106, 147, 230));
        QCOMPARE(bg.pixel(140, 2), qRgb(106, 147, 230));
        QCOMPARE(bg.pixel(274, 60), qRgb(15, 40, 94));
        QCOMPARE(bg.pixel(140, 137), qRgb(15, 40, 94));
        QCOMPARE(bg.pixel(3, 3), qRgb(21, 56, 130));
        QCOMPARE(bg.pixel(20, 135), qRgb(21, 56, 130));
        QVERIFY(bg.pixel(21, 60) != qRgb(21, 56, 130) && qBlue(bg.pixel(21, 60)) < 100);
        QVERIFY(near(bg.pixel(208, 60), qRgb(34, 84, 191), 8));
    }

    void panels_areLightBlueWithADarkRim()
    {
        for (const char *file : {"panel_disc.png", "panel_idle.png"}) {
            const QImage panel = picture(file);
            QCOMPARE(panel.size(), QSize(178, 105));
            QCOMPARE(panel.pixel(170, 100), qRgb(79, 192, 255));
            QVERIFY(qBlue(panel.pixel(89, 0)) < 120);
        }
    }
};

QTEST_MAIN(StripsTest)
#include "tst_display_strips.moc"
