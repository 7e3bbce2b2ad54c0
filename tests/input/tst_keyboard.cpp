// The main window's keys on a player core with the skin's entry box, the
// clock stepped by hand; what the keys ask of the other windows is
// written down by a recording stand-in.
#include "keyboard_control.h"
#include "keyboard_targets.h"
#include "pixel_compose.h"
#include "player_rig.h"
#include "window_rig.h"

#include <QPainter>
#include <QtTest>

namespace {

struct RecordingTargets : KeyboardTargets {
    QStringList calls;
    void openProgramEditor() override { calls << "editor"; }
    void cancelReservation() override { calls << "cancel"; }
    void showProductInformation() override { calls << "product"; }
    void showMessage(const QString &text) override { calls << text; }
};

struct KeyRig : PlayerRig {
    QWidget window;
    MainSkin skin{&window};
    RecordingTargets targets;
    KeyboardControl keys{&window, *core, *transport, skin, targets};

    explicit KeyRig(const QString &disc) : PlayerRig(disc)
    {
        EntryDisplay(skin).clear();  // as start-up does
        open();
        commands.clear();
    }
    // Each character as a key typed into the given widget of the window.
    void type(const QString &text, QWidget *into = nullptr)
    {
        for (QChar c : text)
            QTest::keyClick(into ? into : &window, c.toLatin1());
    }
    QString shown() const { return skin.PluN[0]->text() + skin.ContTr[0]->text(); }
    bool pairsAgree() const
    {
        return skin.PluN[0]->text() == skin.PluN[1]->text() && skin.ContTr[0]->text() == skin.ContTr[1]->text();
    }
};

QImage entryBox(KeyRig &rig) { return rig.skin.Picture2->grab().toImage().convertToFormat(QImage::Format_RGB32); }

// The digits' box as it should look: the text in black over the same text
// in its shadow colour, one pixel right and down.
QImage textOverShadow(MainSkin &skin, const QString &text)
{
    QImage box = plain(skin.Picture2->size(), qRgb(75, 198, 250));
    QPainter painter(&box);
    painter.setFont(skin.ContTr[0]->font());
    const QRect place = skin.ContTr[0]->geometry();
    painter.setPen(QColor(3, 94, 133));
    painter.drawText(place.translated(1, 1), Qt::AlignLeft | Qt::AlignTop, text);
    painter.setPen(Qt::black);
    painter.drawText(place, Qt::AlignLeft | Qt::AlignTop, text);
    return box;
}

// Pixels of the entry box, within columns [from, to), that are not its fill.
int inkIn(const QImage &box, int from, int to)
{
    int ink = 0;
    for (int y = 0; y < box.height(); ++y)
        for (int x = from; x < to; ++x)
            ink += box.pixel(x, y) != qRgb(75, 198, 250);
    return ink;
}

}  // namespace

class TestKeyboard : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_disc = writeDisc(QStringLiteral("keys"), m_layout); }

    void typedNumbersPlayTracksOnTheDisc_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("played");  // the last track played, 0: nothing
        QTest::addColumn<int>("plays");
        QTest::newRow("one digit") << "7" << "07" << 7 << 1;
        QTest::newRow("plus two digits") << "+12" << "12" << 12 << 1;
        QTest::newRow("past the last track") << "+20" << "20" << 0 << 0;
        QTest::newRow("zero") << "0" << "00" << 0 << 0;
        QTest::newRow("plus zero zero") << "+00" << "00" << 0 << 0;
        QTest::newRow("a new entry per digit") << "12" << "02" << 2 << 2;
    }
    void typedNumbersPlayTracksOnTheDisc()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, played);
        QFETCH(int, plays);
        KeyRig rig(m_disc);
        rig.type(typed);
        QCOMPARE(rig.shown(), shown);
        QVERIFY(rig.pairsAgree());
        QCOMPARE(rig.state().RepTr, shown.toInt());  // even when nothing plays
        QCOMPARE(rig.commands, QStringList(plays, "play"));
        rig.update();
        const QString heard = runTracks(rig.runs(), DiscMap(m_layout));
        QCOMPARE(heard.section(' ', -1).section("..", 0, 0), played ? QString::number(played) + '[' : QString());
        if (played) {
            QCOMPARE(rig.text1().toInt(), played);
            QCOMPARE(QList<qint16>({rig.state().Ply, rig.state().Stp, rig.state().Pose}), QList<qint16>({1, 0, 0}));
        }
    }

    void entryLapsesAfterFiveTicks()
    {
        KeyRig rig(m_disc);
        rig.type("+1");
        QCOMPARE(rig.shown(), QStringLiteral("+1"));
        rig.clock.advance(5 * TrackEntry::kTickMs - 1);
        rig.type("+");  // starts the count again
        rig.clock.advance(5 * TrackEntry::kTickMs - 1);
        QCOMPARE(rig.shown(), QStringLiteral("+"));
        rig.clock.advance(1);
        QCOMPARE(rig.shown(), QString());
        QCOMPARE(rig.keys.entry().Timer2.interval(), 0);
        rig.type("3");  // a one-digit entry again
        QCOMPARE(rig.mmc().From(), 3);
    }

    void programPlayLeavesNumbersAndRepeatTrackAlone()
    {
        KeyRig rig(m_disc);
        rig.startProgram({"05", "02"});
        rig.update();
        rig.state().RepTr = 9;
        rig.commands.clear();
        rig.type("4+5dD");
        const QString message = TrackEntry::kProgramPlayMessage;
        QCOMPARE(rig.targets.calls, QStringList({message, message, message, "cancel", "cancel"}));
        QCOMPARE(rig.commands, QStringList());
        QCOMPARE(rig.shown(), QString());
        QCOMPARE(rig.keys.entry().PlusIn, qint16(0));
        QVERIFY(rig.keys.entry().Timer2.interval() > 0);

        QList<qint16> modes;
        for (QChar key : QStringLiteral("rRr")) {
            rig.type(key);
            modes << rig.state().B;
        }
        QCOMPARE(modes, QList<qint16>({5, 4, 5}));
        QCOMPARE(rig.state().RepTr, 9);

        rig.state().PgmPlay = 0;
        rig.state().B = ModeNormal;
        modes.clear();
        for (QChar key : QStringLiteral("rRr")) {
            rig.type(key);
            modes << rig.state().B;
        }
        QCOMPARE(modes, QList<qint16>({1, 2, 0}));
        QCOMPARE(rig.state().RepTr, 5);
    }

    void lettersFromAnyChildAndNothingElse()
    {
        KeyRig rig(m_disc);
        entryBox(rig).save("/tmp/k12box.png");
        QWidget *children[] = {rig.skin.ContP[3], rig.skin.ContTr[0], rig.skin.DspT, rig.skin.Image3};
        for (QWidget *child : children)
            rig.type("pPdDvVxq-*", child);
        QTest::keyClick(&rig.window, Qt::Key_F1);
        QCOMPARE(rig.targets.calls.join(' '), QStringList(4, "editor editor cancel cancel product product").join(' '));

        rig.type("s", rig.skin.Image1);
        QCOMPARE(rig.state().Mute, qint16(1));
        QVERIFY(rig.mmc().Silent());
        QKeyEvent held(QEvent::KeyPress, Qt::Key_S, Qt::ShiftModifier, QStringLiteral("S"), true);
        QApplication::sendEvent(rig.skin.PicD, &held);
        QCOMPARE(rig.state().Mute, qint16(0));
        QVERIFY(!rig.mmc().Silent());
        rig.window.setEnabled(false);  // while the program editor is open
        rig.type("s7");
        QCOMPARE(rig.state().Mute, qint16(0));
        QCOMPARE(rig.commands, QStringList());
    }

    void withoutADiscEveryKeyIsIgnored()
    {
        KeyRig rig(scratchDir() + QStringLiteral("/absent.cue"));
        QCOMPARE(rig.text1(), QStringLiteral("00"));
        const PlayerState before = rig.state();
        rig.type("0123456789+pPrRsSdDvV");
        QCOMPARE(rig.targets.calls, QStringList());
        QCOMPARE(rig.commands, QStringList());
        QCOMPARE(rig.shown(), QString());
        QCOMPARE(rig.keys.entry().Timer2.interval(), 0);
        QCOMPARE(QList<int>({rig.state().B, rig.state().Mute, rig.state().RepTr}),
                 QList<int>({before.B, before.Mute, before.RepTr}));
    }

    void entryBoxShowsTheTextOverItsShadow()
    {
        KeyRig rig(m_disc);
        const int digitsFrom = rig.skin.ContTr[0]->x();
        rig.type("+");
        QImage box = entryBox(rig);
        QVERIFY(inkIn(box, 0, digitsFrom) > 0);
        QCOMPARE(inkIn(box, digitsFrom, box.width()), 0);

        rig.type("7");
        box = entryBox(rig);
        QVERIFY(inkIn(box, 0, digitsFrom) > 0);
        QVERIFY(inkIn(box, digitsFrom, box.width()) > 0);

        rig.type("4");
        const QString difference = firstDifference(entryBox(rig), textOverShadow(rig.skin, "74"));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));

        rig.clock.advance(5 * TrackEntry::kTickMs);
        QCOMPARE(inkIn(entryBox(rig), 0, rig.skin.Picture2->width()), 0);
    }

    void mainWindowAnswersKeys()
    {
        WindowRig rig(m_disc);
        rig.openWithDisc();
        rig.commands.clear();
        QTest::keyClick(rig.skin().ContP[5], '3');
        QCOMPARE(rig.commands, QStringList{"play"});
        QCOMPARE(rig.skin().ContTr[1]->text(), QStringLiteral("03"));
        QTest::keyClick(rig.form.get(), 'S', Qt::ShiftModifier);
        QCOMPARE(rig.core().state.Mute, qint16(1));
    }

private:
    TestDiscLayout m_layout = tracksOfSeconds({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
    QString m_disc;
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
