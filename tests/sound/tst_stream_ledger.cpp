// SPDX-License-Identifier: GPL-3.0-or-later
// Where the writes to a sound server's stream landed, and what of the
// sound is heard: replacing writes land where the server reads, known only
// once the server's timing counts them.
#include "stream_ledger.h"

#include <QtTest>

#include <functional>

class StreamLedgerTest : public QObject {
    Q_OBJECT

private slots:
    void whatIsHeard_data();
    void whatIsHeard();
};

using Steps = std::function<void(StreamLedger &)>;
Q_DECLARE_METATYPE(Steps)

void StreamLedgerTest::whatIsHeard_data()
{
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<qint64>("played");
    QTest::addColumn<qint64>("unheard");
    QTest::addColumn<qint64>("cutOff");

    QTest::newRow("nothing counts as heard before the timing") << Steps([](StreamLedger &l) {
        l.replaced(1000, false);
        l.replaced(300, true);
        l.appended(200, true);
    }) << qint64(5000) << qint64(500) << qint64(-1);
    QTest::newRow("sound placed by the server's write index") << Steps([](StreamLedger &l) {
        l.replaced(1000, false);
        l.replaced(300, true);
        l.appended(200, true);
        l.timed(4500);  // the sound began at 4000
    }) << qint64(4100) << qint64(400) << qint64(-1);
    QTest::newRow("still playing what came before") << Steps([](StreamLedger &l) {
        l.replaced(300, true);
        l.timed(4300);
    }) << qint64(3900) << qint64(300) << qint64(-1);
    QTest::newRow("taken back frames are never heard") << Steps([](StreamLedger &l) {
        l.replaced(300, true);
        l.timed(4300);
        l.tookBack(100);
    }) << qint64(4050) << qint64(150) << qint64(-1);
    QTest::newRow("a hold cuts off what follows its landing") << Steps([](StreamLedger &l) {
        l.replaced(500, true);
        l.timed(4500);
        l.replaced(1000, false);
        l.appended(700, false);
        l.timed(5900);  // the silence landed at 4200
    }) << qint64(4300) << qint64(200) << qint64(300);
    QTest::newRow("a hold before the sound was placed cannot tell") << Steps([](StreamLedger &l) {
        l.replaced(500, true);
        l.replaced(1000, false);
        l.timed(5200);
    }) << qint64(4300) << qint64(500) << qint64(-1);
}

void StreamLedgerTest::whatIsHeard()
{
    QFETCH(Steps, steps);
    QFETCH(qint64, played);
    QFETCH(qint64, unheard);
    QFETCH(qint64, cutOff);
    StreamLedger ledger;
    steps(ledger);
    QCOMPARE(ledger.audioUnheard(played), unheard);
    QCOMPARE(ledger.audioCutOff(), cutOff);
}

QTEST_GUILESS_MAIN(StreamLedgerTest)
#include "tst_stream_ledger.moc"
