// SPDX-License-Identifier: GPL-3.0-or-later
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
    QString shown() const { return skin.entryPlus[0]->text() + skin.entryDigits[0]->text(); }
    QList<qint16> modesAfter(const QString &keys)
    {
        QList<qint16> modes;
        for (QChar key : keys) {
            type(key);
            modes << state().playMode;
        }
        return modes;
    }
};

// The entry box as it should look: each text in black over the same text
// in the shadow colour one pixel right and down, on the box's fill.
QImage expectedBox(const MainSkin &skin, const QString &plus, const QString &digits)
{
    QImage box = plain(skin.entryBox->size(), qRgb(75, 198, 250));
    QPainter painter(&box);
    for (const auto &[label, text] : {std::pair{skin.entryPlus[0], plus}, std::pair{skin.entryDigits[0], digits}}) {
        painter.setFont(label->font());
        painter.setPen(QColor(3, 94, 133));
        painter.drawText(label->geometry().translated(1, 1), Qt::AlignLeft | Qt::AlignTop, text);
        painter.setPen(Qt::black);
        painter.drawText(label->geometry(), Qt::AlignLeft | Qt::AlignTop, text);
    }
    return box;
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
        QTest::addColumn<int>("plays");  // of the shown track
        QTest::newRow("one digit") << "7" << "07" << 1;
        QTest::newRow("plus two digits") << "+12" << "12" << 1;
        QTest::newRow("past the last track") << "+20" << "20" << 0;
        QTest::newRow("zero") << "0" << "00" << 0;
        QTest::newRow("plus zero zero") << "+00" << "00" << 0;
        QTest::newRow("a new entry per digit") << "12" << "02" << 2;
    }
    void typedNumbersPlayTracksOnTheDisc()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, plays);
        KeyRig rig(m_disc);
        rig.type(typed);
        QCOMPARE(rig.shown(), shown);
        QCOMPARE(rig.state().repeatTrack, shown.toInt());  // even when nothing plays
        QCOMPARE(rig.commands, QStringList(plays, "play"));
        rig.update();
        const QString lastHeard = runTracks(rig.runs(), DiscMap(m_layout)).section(' ', -1);
        QCOMPARE(lastHeard.section("..", 0, 0), plays ? QString::number(shown.toInt()) + '[' : QString());
        if (plays)
            QCOMPARE(QList<qint16>({rig.state().playWanted, rig.state().stoppedByUser, rig.state().pausedByUser}), QList<qint16>({1, 0, 0}));
    }

    void entryBoxShowsEachTextOverItsShadowForFiveTicks()
    {
        KeyRig rig(m_disc);
        const auto boxShows = [&](const QString &plus, const QString &digits) {
            const QImage box = rig.skin.entryBox->grab().toImage();
            return firstDifference(box, expectedBox(rig.skin, plus, digits));
        };
        rig.type("+");
        QCOMPARE(boxShows("+", ""), QString());
        rig.clock.advance(5 * TrackEntry::kTickMs - 1);
        rig.type("7");  // starts the count again
        QCOMPARE(boxShows("+", "7"), QString());
        rig.clock.advance(5 * TrackEntry::kTickMs - 1);
        QCOMPARE(boxShows("+", "7"), QString());
        rig.clock.advance(1);
        QCOMPARE(boxShows("", ""), QString());
        QCOMPARE(rig.keys.entry().entryTimer.interval(), 0);

        rig.type("+74");  // after the lapse a "+" is needed again
        QCOMPARE(boxShows("", "74"), QString());
        rig.type("3");
        QCOMPARE(rig.mmc().from(), 3);
    }

    void programPlayLeavesNumbersAndRepeatTrackAlone()
    {
        KeyRig rig(m_disc);
        rig.startProgram({"05", "02"});
        rig.update();
        rig.state().repeatTrack = 9;
        rig.commands.clear();
        rig.type("4+5dD");
        const QString message = TrackEntry::kProgramPlayMessage;
        QCOMPARE(rig.targets.calls, QStringList({message, message, message, "cancel", "cancel"}));
        QCOMPARE(rig.commands, QStringList());
        QCOMPARE(rig.shown(), QString());
        QCOMPARE(rig.keys.entry().plusTyped, qint16(0));
        QVERIFY(rig.keys.entry().entryTimer.interval() > 0);
        QCOMPARE(rig.modesAfter("rRr"), QList<qint16>({5, 4, 5}));
        QCOMPARE(rig.state().repeatTrack, 9);

        rig.state().programReserved = false;
        rig.state().playMode = ModeNormal;
        QCOMPARE(rig.modesAfter("rRr"), QList<qint16>({1, 2, 0}));
        QCOMPARE(rig.state().repeatTrack, 5);
    }

    void lettersFromAnyChildAndNothingElse()
    {
        KeyRig rig(m_disc);
        for (QWidget *child : std::initializer_list<QWidget *>{rig.skin.transportButtons[3], rig.skin.entryDigits[0], rig.skin.trackDisplay, rig.skin.infoButton})
            rig.type("pPdDvVxq-*", child);
        QTest::keyClick(&rig.window, Qt::Key_F1);
        QCOMPARE(rig.targets.calls.join(' '), QStringList(4, "editor editor cancel cancel product product").join(' '));

        rig.type("s", rig.skin.repeatButton);
        QVERIFY(rig.mmc().silent());
        QKeyEvent held(QEvent::KeyPress, Qt::Key_S, Qt::ShiftModifier, QStringLiteral("S"), true);
        QApplication::sendEvent(rig.skin.discPanel, &held);
        QVERIFY(!rig.mmc().silent());
        rig.window.setEnabled(false);  // while the program editor is open
        rig.type("s7");
        QCOMPARE(rig.state().muted, false);
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
        QCOMPARE(rig.keys.entry().entryTimer.interval(), 0);
        QCOMPARE(QList<int>({rig.state().playMode, rig.state().muted, rig.state().repeatTrack}),
                 QList<int>({before.playMode, before.muted, before.repeatTrack}));
    }

    void mainWindowAnswersKeys()
    {
        WindowRig rig(m_disc);
        rig.openWithDisc();
        rig.commands.clear();
        QTest::keyClick(rig.skin().transportButtons[5], '3');
        QCOMPARE(rig.commands, QStringList{"play"});
        QCOMPARE(rig.skin().entryDigits[1]->text(), QStringLiteral("03"));
    }

private:
    TestDiscLayout m_layout = tracksOfSeconds({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
    QString m_disc;
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
