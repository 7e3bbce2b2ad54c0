// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's program and cancel-reservation buttons, clicked
// offscreen: the editor one opens, the reservation the other cancels.
#include "answered_message_boxes.h"
#include "disc_rig.h"
#include "program_editor.h"
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
    QTest::mousePress(rig.skin().programButton, Qt::LeftButton);
    QVERIFY(!program.editor());
    QTest::mouseRelease(rig.skin().programButton, Qt::LeftButton);
    ProgramEditor *editor = program.editor();
    QVERIFY(editor && editor->isVisible() && editor->isEnabled() && !editor->isModal());
    QVERIFY(!rig.form->isEnabled());
    program.openEditor();
    QCOMPARE(program.editor(), editor);
    editor->cancelButton->click();
    QVERIFY(!program.editor() && rig.form->isEnabled());

    for (Qt::MouseButton other : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mouseClick(rig.skin().programButton, other);
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
    QTest::mouseClick(rig.skin().cancelReservationButton, Qt::RightButton);
    QVERIFY(boxes.shown.isEmpty() && rig.commands.isEmpty());

    QTest::mouseClick(rig.skin().programButton, Qt::LeftButton);
    rig.form->program().editor()->discTracks->setCurrentRow(1);
    rig.form->program().editor()->addButton->click();
    rig.form->program().editor()->startButton->click();
    PlayerState &s = rig.core().state;
    for (int i = 0; i < 20 && s.playWanted; ++i)
        rig.update();
    QCOMPARE(QList<int>({s.programReserved, s.playMode, s.playWanted, s.stoppedByUser}), QList<int>({1, 4, 0, 1}));

    boxes.answerYes = false;
    rig.commands.clear();
    QTest::mouseClick(rig.skin().cancelReservationButton, Qt::MiddleButton);
    QCOMPARE(boxes.shown, QList<ShownMessage>({{"プログラム演奏中です。プログラム演奏を中止しますか？\r\n"
                                                "中止した場合、プログラムは初期化され、演奏は中止されます。",
                                                MessageBoxes::Icon::Exclamation, true}}));
    QVERIFY(rig.core().programList.count() == 1 && s.playMode == ModeProgram && rig.commands.isEmpty());

    boxes.answerYes = true;
    QTest::mouseClick(rig.skin().cancelReservationButton, Qt::LeftButton);
    QVERIFY(rig.core().programList.isEmpty());
    QCOMPARE(QList<int>({s.programReserved, s.playMode, s.playWanted, s.stoppedByUser}), QList<int>({0, 0, 0, 1}));
    QCOMPARE(rig.commands, QStringList({"stop", "prev"}));
}

QTEST_MAIN(TestReservationButtons)
#include "tst_reservation_buttons.moc"
