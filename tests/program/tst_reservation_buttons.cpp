// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's program and cancel-reservation buttons, clicked
// offscreen: the editor one opens, the reservation the other cancels.
#include "answered_message_boxes.h"
#include "disc_rig.h"
#include "form2.h"
#include "window_rig.h"

#include <QListWidget>
#include <QPushButton>
#include <QtTest>

class TestReservationButtons : public QObject {
    Q_OBJECT
private slots:
    void programButtonOpensOneEditorOverTheDisabledWindow();
    void cancelButtonAsksOnlyWhileAProgramIsReserved();
};

// Any button's release opens it; its cancel button and the window system's
// close both give the main window back.
void TestReservationButtons::programButtonOpensOneEditorOverTheDisabledWindow()
{
    WindowRig rig(writeDisc(QStringLiteral("reservation"), tracksOfSeconds({1, 1})));
    rig.openWithDisc();
    ProgramReservation &program = rig.form->program();
    QTest::mousePress(rig.skin().Picture1, Qt::LeftButton);
    QVERIFY(!program.editor());
    QTest::mouseRelease(rig.skin().Picture1, Qt::LeftButton);
    Form2 *editor = program.editor();
    QVERIFY(editor && editor->isVisible() && editor->isEnabled() && !editor->isModal());
    QVERIFY(!rig.form->isEnabled());
    program.openEditor();
    QCOMPARE(program.editor(), editor);
    editor->Command4->click();
    QVERIFY(!program.editor() && rig.form->isEnabled());

    for (Qt::MouseButton other : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mouseClick(rig.skin().Picture1, other);
        QVERIFY(program.editor() && !rig.form->isEnabled());
        program.editor()->close();
        QVERIFY(!program.editor() && rig.form->isEnabled());
    }
}

// A finished program still asks; No changes nothing, Yes drops the program
// and stops the disc.
void TestReservationButtons::cancelButtonAsksOnlyWhileAProgramIsReserved()
{
    AnsweredMessageBoxes boxes;
    WindowRig rig(writeDisc(QStringLiteral("reservation"), tracksOfSeconds({1, 1})));
    rig.openWithDisc();
    rig.commands.clear();
    QTest::mouseClick(rig.skin().Image5, Qt::RightButton);
    QVERIFY(boxes.shown.isEmpty() && rig.commands.isEmpty());

    QTest::mouseClick(rig.skin().Picture1, Qt::LeftButton);
    rig.form->program().editor()->List1->setCurrentRow(1);
    rig.form->program().editor()->Command1->click();
    rig.form->program().editor()->Command5->click();
    PlayerState &s = rig.core().state;
    for (int i = 0; i < 20 && s.Ply == 1; ++i)
        rig.update();
    QCOMPARE(QList<int>({s.PgmPlay, s.B, s.Ply, s.Stp}), QList<int>({1, 4, 0, 1}));

    boxes.answerYes = false;
    rig.commands.clear();
    QTest::mouseClick(rig.skin().Image5, Qt::MiddleButton);
    QCOMPARE(boxes.shown, QList<ShownMessage>({{"プログラム演奏中です。プログラム演奏を中止しますか？\r\n"
                                                "中止した場合、プログラムは初期化され、演奏は中止されます。",
                                                MessageBoxes::Icon::Exclamation, true}}));
    QVERIFY(rig.core().List1.count() == 1 && s.B == ModeProgram && rig.commands.isEmpty());

    boxes.answerYes = true;
    QTest::mouseClick(rig.skin().Image5, Qt::LeftButton);
    QVERIFY(rig.core().List1.isEmpty());
    QCOMPARE(QList<int>({s.PgmPlay, s.B, s.Ply, s.Stp}), QList<int>({0, 0, 0, 1}));
    QCOMPARE(rig.commands, QStringList({"stop", "prev"}));
}

QTEST_MAIN(TestReservationButtons)
#include "tst_reservation_buttons.moc"
