// The program editor on the real device control with a coded disc, on a
// manual clock: what it lists, what it refuses, and what its start plays.
#include "answered_message_boxes.h"
#include "form2.h"
#include "player_rig.h"
#include "program_reservation.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

namespace {

const QString kNothingReserved = QStringLiteral("プログラムが予約されていません。");

// A core playing into a capture, a stand-in for the main window, and the
// reservation controls that open the editor over it.
struct EditorRig : PlayerRig {
    QWidget mainWindow;
    ProgramReservation reservation{*core, mainWindow};
    AnsweredMessageBoxes boxes;

    explicit EditorRig(const QString &disc) : PlayerRig(disc) { open(); }

    Form2 &openEditor()
    {
        reservation.openEditor();
        return *reservation.editor();
    }
    // Selects each track in the disc list and clicks Add.
    void add(std::initializer_list<int> tracks)
    {
        for (int track : tracks) {
            editor().List1->setCurrentRow(track - 1);
            editor().Command1->click();
        }
    }
    Form2 &editor() { return *reservation.editor(); }
    QStringList program() const
    {
        QStringList entries;
        for (int i = 0; i < core->List1.count(); ++i)
            entries << core->List1.entry(i);
        return entries;
    }
};

QStringList texts(const QListWidget *list)
{
    QStringList all;
    for (int i = 0; i < list->count(); ++i)
        all << list->item(i)->text();
    return all;
}

// The controls that take focus, in the order Tab visits them.
QStringList tabOrder(QWidget *first)
{
    QStringList names;
    QWidget *w = first;
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            names << w->objectName();
        w = w->nextInFocusChain();
    } while (w != first);
    return names;
}

}  // namespace

class TestProgramEditor : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void loadListsTheDiscWithTwoDigitEntries_data();
    void loadListsTheDiscWithTwoDigitEntries();
    void reservedProgramIsCopiedAndDeleteAllLeavesNothingToStart();
    void thousandEntriesAndNoMore();
    void addAndDeleteActOnTheSelectionOnly();
    void sameTrackThreeTimesPlaysThreeTimes();
    void replacementQuestion();
    void discChangedWhileOpenLeavesTheEditorUsable();

private:
    TestDiscLayout m_shortLayout = tracksOfSeconds({1, 1, 1});
    QString m_shortDisc, m_longDisc;
};

void TestProgramEditor::initTestCase()
{
    m_shortDisc = writeDisc(QStringLiteral("editor-short"), m_shortLayout);
    m_longDisc = writeDisc(QStringLiteral("editor-long"), tracksOfSeconds({3, 3, 3}));
}

void TestProgramEditor::loadListsTheDiscWithTwoDigitEntries_data()
{
    QTest::addColumn<int>("tracks");
    QTest::addColumn<QString>("label");
    QTest::newRow("12 tracks") << 12 << QStringLiteral("12トラック");
    QTest::newRow("9 tracks") << 9 << QStringLiteral("9トラック");
}

void TestProgramEditor::loadListsTheDiscWithTwoDigitEntries()
{
    QFETCH(int, tracks);
    QFETCH(QString, label);
    TestDiscLayout layout;
    layout.tracks.assign(size_t(tracks), TestTrack{75});
    EditorRig rig(writeDisc(QStringLiteral("editor-%1").arg(tracks), layout));
    Form2 &editor = rig.openEditor();

    QCOMPARE(editor.windowTitle(), QStringLiteral("プログラム"));
    QCOMPARE(editor.size(), QSize(329, 180));
    QCOMPARE(editor.List1->count(), tracks);
    QCOMPARE(editor.List1->item(0)->text(), QStringLiteral("トラック01"));
    QCOMPARE(editor.List1->item(tracks - 1)->text(), QStringLiteral("トラック%1").arg(tracks, 2, 10, QLatin1Char('0')));
    QCOMPARE(editor.Label3->text(), label);
    QCOMPARE(editor.Label4->text(), QStringLiteral("0"));
    QCOMPARE(editor.List2->count(), 0);
    QVERIFY(editor.List1->selectedItems().isEmpty());
    QCOMPARE(tabOrder(editor.List1),
             QStringList({"List1", "List2", "Command1", "Command2", "Command3", "Command4", "Command5"}));
}

// The count and the list agree from the start, so an emptied list is
// refused, and the editor stays open over the disabled main window.
void TestProgramEditor::reservedProgramIsCopiedAndDeleteAllLeavesNothingToStart()
{
    EditorRig rig(m_longDisc);
    rig.startProgram({"03", "01", "03"});
    Form2 &editor = rig.openEditor();
    QCOMPARE(texts(editor.List2), QStringList({"トラック03", "トラック01", "トラック03"}));
    QCOMPARE(editor.Label4->text(), QStringLiteral("3"));

    editor.Command3->click();
    QCOMPARE(editor.Label4->text(), QStringLiteral("0"));
    rig.commands.clear();
    editor.Command5->click();
    QCOMPARE(rig.boxes.shown, QList<ShownMessage>({{kNothingReserved, MessageBoxes::Icon::Exclamation, false}}));
    QVERIFY(rig.reservation.editor() && editor.isVisible());
    QVERIFY(!rig.mainWindow.isEnabled());
    QCOMPARE(rig.program(), QStringList({"03", "01", "03"}));
    QCOMPARE(rig.commands, QStringList());
}

void TestProgramEditor::thousandEntriesAndNoMore()
{
    EditorRig rig(m_shortDisc);
    Form2 &editor = rig.openEditor();
    editor.List1->setCurrentRow(1);
    for (int i = 0; i < 1000; ++i)
        editor.Command1->click();
    QVERIFY(rig.boxes.shown.isEmpty());
    QCOMPARE(editor.Label4->text(), QStringLiteral("1000"));

    editor.Command1->click();
    QCOMPARE(rig.boxes.shown, QList<ShownMessage>({{QStringLiteral("1000トラックを超える設定はできません。"),
                                                    MessageBoxes::Icon::None, false}}));
    QCOMPARE(editor.Label4->text(), QStringLiteral("1000"));
    QCOMPARE(editor.List2->count(), 1000);

    editor.Command5->click();
    QCOMPARE(rig.core->List1.count(), 1000);
}

void TestProgramEditor::addAndDeleteActOnTheSelectionOnly()
{
    EditorRig rig(m_shortDisc);
    Form2 &editor = rig.openEditor();
    editor.Command1->click();
    editor.Command2->click();
    QCOMPARE(editor.List2->count(), 0);
    QCOMPARE(editor.Label4->text(), QStringLiteral("0"));

    rig.add({1, 2, 3});
    editor.List2->clearSelection();
    editor.Command2->click();
    QCOMPARE(editor.programEntries(), QStringList({"01", "02", "03"}));
    editor.List2->setCurrentRow(1);
    editor.Command2->click();
    editor.Command2->click();
    QCOMPARE(editor.programEntries(), QStringList({"01", "03"}));
    QCOMPARE(editor.Label4->text(), QStringLiteral("2"));
}

// The selection of the disc list stays, so three clicks add the track
// three times; the start closes the editor and enables the main window.
void TestProgramEditor::sameTrackThreeTimesPlaysThreeTimes()
{
    EditorRig rig(m_shortDisc);
    rig.mainWindow.show();
    rig.openEditor();
    rig.editor().List1->setCurrentRow(1);
    for (int i = 0; i < 3; ++i)
        rig.editor().Command1->click();
    rig.commands.clear();
    rig.editor().Command5->click();

    QVERIFY(!rig.reservation.editor());
    QVERIFY(rig.mainWindow.isEnabled());
    const PlayerState &s = rig.state();
    QCOMPARE(QList<int>({s.PgmPlay, s.B, s.LstCnt, s.Ply, s.Stp, s.Pose}), QList<int>({1, 4, 0, 1, 0, 0}));
    QCOMPARE(rig.commands, QStringList{"play"});
    QCOMPARE(rig.mmc().From(), 2);

    QVERIFY(rig.updateUntil([&] { return s.Ply == 0; }));
    const DiscMap map(m_shortLayout);
    QCOMPARE(runTracks(rig.runs(), map), QStringLiteral("2[..2] 2[..2] 2[..2]"));
    rig.update();
    QCOMPARE(rig.text1(), QStringLiteral("02"));
    QCOMPARE(rig.mmc().Mode(), qint32(CdAudioControl::ModeStopped));
    QCOMPARE(s.Stp, qint16(1));
}

// No keeps the old program playing, and stepping, under the open editor;
// Yes plays the new one from its first entry without repeat.
void TestProgramEditor::replacementQuestion()
{
    EditorRig rig(m_longDisc);
    rig.startProgram({"01", "03"}, ModeProgramRepeat);
    rig.update();
    Form2 &editor = rig.openEditor();
    editor.Command3->click();
    rig.add({2});
    rig.boxes.answerYes = false;
    editor.Command5->click();
    const QString question = QStringLiteral("すでにプログラム演奏が行われています。\r\n新しく設定した予約に設定しますか？");
    QCOMPARE(rig.boxes.shown, QList<ShownMessage>({{question, MessageBoxes::Icon::Exclamation, true}}));
    QVERIFY(rig.reservation.editor() && editor.isVisible());
    QVERIFY(!rig.mainWindow.isEnabled());
    QCOMPARE(rig.program(), QStringList({"01", "03"}));
    QCOMPARE(rig.state().B, qint16(ModeProgramRepeat));
    QVERIFY(rig.updateUntilTrack(3));
    QCOMPARE(rig.state().LstCnt, qint16(1));

    rig.boxes.answerYes = true;
    rig.commands.clear();
    editor.Command5->click();
    QCOMPARE(rig.program(), QStringList{"02"});
    QCOMPARE(rig.state().B, qint16(ModeProgram));
    QCOMPARE(rig.state().LstCnt, qint16(0));
    QCOMPARE(rig.commands, QStringList{"play"});
    rig.update();
    QCOMPARE(rig.text1(), QStringLiteral("02"));
    QVERIFY(rig.mainWindow.isEnabled());
}

// The disc goes (dropping the reserved program) and a shorter one comes
// while the editor is open: its start asks nothing, the entry beyond the
// new disc plays nothing (not even on from where the disc was playing),
// and the program steps on to the next entry.
void TestProgramEditor::discChangedWhileOpenLeavesTheEditorUsable()
{
    const QString disc = writeDisc(QStringLiteral("editor-swap"), tracksOfSeconds({1, 1, 1, 1, 1}));
    EditorRig rig(disc);
    rig.startProgram({"05", "01"});
    rig.update();
    Form2 &editor = rig.openEditor();

    rig.mmc().Command(QStringLiteral("eject"));
    writeDisc(QStringLiteral("editor-swap"), m_shortLayout);
    QVERIFY(rig.updateUntilTrack(0));
    QCOMPARE(rig.state().PgmPlay, qint16(0));
    QVERIFY(rig.updateUntilTrack(1));
    QCOMPARE(rig.mmc().Tracks(), 3);
    rig.transport->DoPlay();  // as a desktop media key may, past the disabled window
    rig.update(2);

    rig.capture.clear();
    rig.commands.clear();
    QCOMPARE(editor.programEntries(), QStringList({"05", "01"}));
    editor.Command5->click();
    QVERIFY(rig.boxes.shown.isEmpty());
    QCOMPARE(rig.commands, QStringList{"stop"});
    QVERIFY(rig.updateUntil([&] { return rig.state().Ply == 0; }));
    QCOMPARE(runTracks(rig.runs(), DiscMap(m_shortLayout)), QStringLiteral("1[..1]"));
    QCOMPARE(rig.state().LstCnt, qint16(0));
}

QTEST_MAIN(TestProgramEditor)
#include "tst_program_editor.moc"
