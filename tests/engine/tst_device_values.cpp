// SPDX-License-Identifier: GPL-3.0-or-later
// The texts and digits the status update derives from the device's packed
// values, and the caption of the minimized window.
#include "caption.h"
#include "device_values.h"
#include "disc_rig.h"
#include "status_texts.h"

#include <QtTest>

namespace {
// Position: track, minutes, seconds, frames from the lowest byte.
qint32 position(int track, int min, int sec, int frames = 0) { return tmsf(track, min, sec, frames); }
// Lengths: minutes, seconds, frames from the lowest byte.
qint32 length(int min, int sec, int frames = 0)
{
    return qint32(quint32(min) | quint32(sec) << 8 | quint32(frames) << 16);
}

QString digitsOf(const DigitVariables &d)
{
    QString s;
    for (QChar c : {d.trackTens, d.trackUnits, QChar(' '), d.elapsedMinuteTens, d.elapsedMinuteUnits, QChar(':'), d.elapsedSecondTens, d.elapsedSecondUnits,
                    QChar(' '), d.trackMinuteTens, d.trackMinuteUnits, QChar(':'), d.trackSecondTens, d.trackSecondUnits, QChar(' '), d.trackCountTens})
        s += c;
    s += QString::number(d.trackCountUnits) + QLatin1Char(' ');
    for (QChar c : {d.discMinuteTens, d.discMinuteUnits, QChar(':'), d.discSecondTens, d.discSecondUnits})
        s += c;
    return s;
}
}  // namespace

class TestDeviceValues : public QObject {
    Q_OBJECT
private slots:
    void hexAndDecimalHelpers();
    void derivesTextsFromPackedValues();
    void splitsTheTextsIntoDigits();
    void garbageFromTheDeviceStaysTwoDigits_data();
    void garbageFromTheDeviceStaysTwoDigits();
    void minimizedCaption_data();
    void minimizedCaption();
};

void TestDeviceValues::hexAndDecimalHelpers()
{
    QCOMPARE(hex8(0x0A), QStringLiteral("0000000A"));
    QCOMPARE(hex8(-1), QStringLiteral("FFFFFFFF"));

    // Characters 7-8 are the lowest byte, 1-2 the highest.
    QCOMPARE(dec2(QStringLiteral("0000000A"), 7), QStringLiteral("10"));
    QCOMPARE(dec2(QStringLiteral("00000005"), 7), QStringLiteral("05"));
    QCOMPARE(dec2(QStringLiteral("3B000000"), 1), QStringLiteral("59"));
    QCOMPARE(dec2(QStringLiteral("00000000"), 9), QStringLiteral("00"));
    // Lower case and a lone digit read as Qt reads them.
    QCOMPARE(dec2(QStringLiteral("0000003b"), 7), QStringLiteral("59"));
    QCOMPARE(dec2(QStringLiteral("0000000A"), 8), QStringLiteral("10"));
    QCOMPARE(dec2(QStringLiteral("000000G1"), 7), QStringLiteral("00"));
}

void TestDeviceValues::derivesTextsFromPackedValues()
{
    const StatusTexts t = deriveStatusTexts(position(3, 2, 5, 70), length(52, 7, 40),
                                            length(4, 31, 12), 12);
    QCOMPARE(t.positionHex, QStringLiteral("46050203"));
    QCOMPARE(t.lengthHex, QStringLiteral("00280734"));
    QCOMPARE(t.trackLengthHex, QStringLiteral("000C1F04"));
    QCOMPARE(t.trackText, QStringLiteral("03"));
    QCOMPARE(t.trackCountText, QStringLiteral("12"));
    QCOMPARE(QStringList({t.elapsedMinutes, t.elapsedSeconds, t.discMinutes, t.discSeconds, t.trackMinutes, t.trackSeconds}),
             QStringList({"02", "05", "52", "07", "04", "31"}));

    // No disc: the device reports track 0 and nothing else.
    const StatusTexts none = deriveStatusTexts(0, 0, 0, 0);
    QCOMPARE(none.trackText, QStringLiteral("00"));
    QCOMPARE(none.trackCountText, QStringLiteral("00"));
}

void TestDeviceValues::splitsTheTextsIntoDigits()
{
    DigitVariables d;
    splitDigits(deriveStatusTexts(position(7, 3, 5), length(52, 7), length(4, 31), 12), d);
    QCOMPARE(digitsOf(d), QStringLiteral("07 03:05 04:31 12 52:07"));
    QCOMPARE(d.trackCountUnits, qint16(2));

    // Only the track length's digits are renewed when a track is selected.
    StatusTexts t = deriveStatusTexts(position(7, 3, 5), length(52, 7), length(4, 31), 12);
    setTrackLength(t, length(10, 9));
    splitTrackLengthDigits(t, d);
    QCOMPARE(digitsOf(d), QStringLiteral("07 03:05 10:09 12 52:07"));
}

void TestDeviceValues::garbageFromTheDeviceStaysTwoDigits_data()
{
    QTest::addColumn<qint32>("pos");
    QTest::addColumn<qint32>("len");
    QTest::addColumn<qint32>("tracks");
    QTest::addColumn<QString>("shown");

    QTest::newRow("track byte over 99") << position(200, 1, 2) << length(40, 0) << 12
                                        << "99 01:02 40:00 12 40:00";
    QTest::newRow("track byte 0xFF") << position(0xFF, 0xFF, 0xFF, 0xFF) << length(40, 0) << 12
                                     << "99 99:99 40:00 12 40:00";
    QTest::newRow("image longer than 99 minutes") << position(1, 100, 0) << length(180, 30) << 1
                                                  << "01 99:00 99:30 01 99:30";
    QTest::newRow("track count over 99") << position(5, 0, 0) << length(60, 0) << 150
                                         << "05 00:00 60:00 99 60:00";
    QTest::newRow("negative track count") << position(5, 0, 0) << length(60, 0) << -3
                                          << "05 00:00 60:00 00 60:00";
}

// A user sees "99" where the device reports more than two digits can
// hold; the digit display never gets a character it has no glyph for.
void TestDeviceValues::garbageFromTheDeviceStaysTwoDigits()
{
    QFETCH(qint32, pos);
    QFETCH(qint32, len);
    QFETCH(qint32, tracks);
    QFETCH(QString, shown);

    DigitVariables d;
    splitDigits(deriveStatusTexts(pos, len, len, tracks), d);
    QCOMPARE(digitsOf(d), shown);
    QVERIFY(d.trackCountUnits >= 0 && d.trackCountUnits <= 9);
}

void TestDeviceValues::minimizedCaption_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("caption");

    QTest::newRow("normal play") << 0 << QStringLiteral("[03]  02:05  通常再生");
    QTest::newRow("track repeat") << 1 << QStringLiteral("[03] 02:05  トラックリピート");
    QTest::newRow("disc repeat") << 2 << QStringLiteral("[03] 02:05  ＣＤリピート");
    QTest::newRow("program play") << 4 << QStringLiteral("[03] 02:05  プログラム再生");
    QTest::newRow("program repeat") << 5 << QStringLiteral("[03] 02:05  プログラムリピート");
    QTest::newRow("mode 3 is no mode") << 3 << QString();
    QTest::newRow("out of range") << 6 << QString();
}

void TestDeviceValues::minimizedCaption()
{
    QFETCH(int, mode);
    QFETCH(QString, caption);

    const auto made = ::minimizedCaption(QStringLiteral("03"), QStringLiteral("02:05"), mode);
    QCOMPARE(made.has_value(), !caption.isEmpty());
    if (made)
        QCOMPARE(*made, caption);
}

QTEST_APPLESS_MAIN(TestDeviceValues)
#include "tst_device_values.moc"
