// The main window's program button and cancel-reservation button, clicked
// offscreen: the editor they open and the reservation they cancel.
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
    void initTestCase();

    void programButtonOpensOneEditorOverTheDisabledWindow();
    void cancelButtonAsksOnlyWhileAProgramIsReserved();

private:
    QString m_disc;
};

void TestReservationButtons::initTestCase()
{
    m_disc = writeDisc(QStringLiteral("reservation"), tracksOfSeconds({1, 1}));
}

// Any button's release opens it, the press does nothing; the cancel button
// and the window system's close both give the main window back.
void TestReservationButtons::programButtonOpensOneEditorOverTheDisabledWindow()
{
    WindowRig rig(m_disc);
    rig.openWithDisc();
    ProgramReservation &program = rig.form->program();
    PictureButton *button = rig.skin().Picture1;
    QTest::mousePress(button, Qt::LeftButton);
    QVERIFY(!program.editor());
    QTest::mouseRelease(button, Qt::LeftButton);
    Form2 *editor = program.editor();
    QVERIFY(editor && editor->isVisible());
    QCOMPARE(editor->windowModality(), Qt::NonModal);
    QVERIFY(!rig.form->isEnabled());
    QVERIFY(editor->isEnabled());
    program.openEditor();
    QCOMPARE(program.editor(), editor);

    editor->Command4->click();
    QVERIFY(!program.editor());
    QVERIFY(rig.form->isEnabled());

    for (Qt::MouseButton other : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mouseClick(button, other);
        QVERIFY(program.editor() && !rig.form->isEnabled());
        program.editor()->close();
        QVERIFY(!program.editor() && rig.form->isEnabled());
    }
}

// Also a finished program still asks; No changes nothing, Yes drops the
// program and stops the disc.
void TestReservationButtons::cancelButtonAsksOnlyWhileAProgramIsReserved()
{
    AnsweredMessageBoxes boxes;
    WindowRig rig(m_disc);
    rig.openWithDisc();
    PictureButton *cancel = rig.skin().Image5;
    rig.commands.clear();
    QTest::mouseClick(cancel, Qt::RightButton);
    QVERIFY(boxes.shown.isEmpty());
    QVERIFY(rig.commands.isEmpty());

    QTest::mouseClick(rig.skin().Picture1, Qt::LeftButton);
    Form2 *editor = rig.form->program().editor();
    editor->List1->setCurrentRow(1);
    editor->Command1->click();
    editor->Command5->click();
    PlayerState &s = rig.core().state;
    for (int i = 0; i < 20 && s.Ply == 1; ++i)
        rig.update();
    QCOMPARE(QList<int>({s.PgmPlay, s.B, s.Ply, s.Stp}), QList<int>({1, 4, 0, 1}));

    boxes.answerYes = false;
    rig.commands.clear();
    QTest::mouseClick(cancel, Qt::MiddleButton);
    const QString question = QStringLiteral("プログラム演奏中です。プログラム演奏を中止しますか？\r\n"
                                            "中止した場合、プログラムは初期化され、演奏は中止されます。");
    QCOMPARE(boxes.shown, QList<ShownMessage>({{question, MessageBoxes::Icon::Exclamation, true}}));
    QCOMPARE(rig.core().List1.count(), 1);
    QCOMPARE(s.B, qint16(ModeProgram));
    QVERIFY(rig.commands.isEmpty());

    boxes.answerYes = true;
    QTest::mouseClick(cancel, Qt::LeftButton);
    QCOMPARE(boxes.shown.size(), 2);
    QVERIFY(rig.core().List1.isEmpty());
    QCOMPARE(QList<int>({s.PgmPlay, s.B, s.Ply, s.Stp}), QList<int>({0, 0, 0, 1}));
    QCOMPARE(rig.commands, QStringList({"stop", "prev"}));
}

QTEST_MAIN(TestReservationButtons)
#include "tst_reservation_buttons.moc"
