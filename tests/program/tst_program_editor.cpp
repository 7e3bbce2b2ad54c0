// SPDX-License-Identifier: GPL-3.0-or-later
// The program editor on the real device control with coded discs, on a
// manual clock: what it lists, what it refuses, and what its start plays.
#include "answered_message_boxes.h"
#include "program_editor.h"
#include "player_rig.h"
#include "program_reservation.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

namespace {
using Icon = MessageBoxes::Icon;

// A core, a stand-in for the main window, and the editor opened over it.
struct EditorRig : PlayerRig {
    QWidget mainWindow;
    ProgramReservation reservation{*core, mainWindow};
    AnsweredMessageBoxes boxes;

    explicit EditorRig(const QString &disc) : PlayerRig(disc) { open(); }
    ProgramEditor &openEditor()
    {
        reservation.openEditor();
        return *reservation.editor();
    }
    // Selects each track in the disc list and clicks Add.
    void add(std::initializer_list<int> tracks)
    {
        for (int track : tracks) {
            reservation.editor()->discTracks->setCurrentRow(track - 1);
            reservation.editor()->addButton->click();
        }
    }
    bool editorOpenOverDisabledWindow() { return reservation.editor() && !mainWindow.isEnabled(); }
    QStringList program() const
    {
        QStringList entries;
        for (int i = 0; i < core->programList.count(); ++i)
            entries << core->programList.entry(i);
        return entries;
    }
};

// The names of the controls that take focus, in the order Tab visits them.
QStringList tabOrder(QWidget *first)
{
    QStringList names;
    for (QWidget *w = first; names.isEmpty() || w != first; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus)
            names << w->objectName();
    return names;
}
}  // namespace

class TestProgramEditor : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void loadListsTheDiscWithTwoDigitEntries_data();
    void loadListsTheDiscWithTwoDigitEntries();
    void addAndDeleteActOnTheSelectionOnly();
    void thousandEntriesAndNoMore();
    void sameTrackThreeTimesPlaysThreeTimes();
    void reservedProgramIsCopiedAndReplacedOnlyAfterYes();
    void discChangedWhileOpenLeavesTheEditorUsable();
    void escapeCancelsOverTheWindowItBelongsTo();

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
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("label");
    QTest::newRow("12 tracks") << 12 << "トラック12" << "12トラック";
    QTest::newRow("9 tracks") << 9 << "トラック09" << "9トラック";
}

void TestProgramEditor::loadListsTheDiscWithTwoDigitEntries()
{
    QFETCH(int, tracks);
    QFETCH(QString, last);
    QFETCH(QString, label);
    TestDiscLayout layout;
    layout.tracks.assign(size_t(tracks), TestTrack{75});
    EditorRig rig(writeDisc(QStringLiteral("editor-%1").arg(tracks), layout));
    ProgramEditor &editor = rig.openEditor();
    QCOMPARE(editor.windowTitle(), QStringLiteral("プログラム"));
    QCOMPARE(editor.size(), QSize(329, 180));
    QCOMPARE(editor.discTracks->count(), tracks);
    QCOMPARE(editor.discTracks->item(0)->text(), QStringLiteral("トラック01"));
    QCOMPARE(editor.discTracks->item(tracks - 1)->text(), last);
    QCOMPARE(editor.discTrackCount->text(), label);
    QCOMPARE(editor.programCount->text(), QStringLiteral("0"));
    QVERIFY(editor.discTracks->selectedItems().isEmpty() && editor.programTracks->count() == 0);
    QCOMPARE(tabOrder(editor.discTracks),
             QStringList({"List1", "List2", "Command1", "Command2", "Command3", "Command4", "Command5"}));
}

// Also: delete all, then start is refused and the editor stays open.
void TestProgramEditor::addAndDeleteActOnTheSelectionOnly()
{
    EditorRig rig(m_shortDisc);
    ProgramEditor &editor = rig.openEditor();
    editor.addButton->click();
    editor.removeButton->click();
    QCOMPARE(editor.programTracks->count(), 0);
    rig.add({1, 2, 3});
    editor.programTracks->clearSelection();
    editor.removeButton->click();
    editor.programTracks->setCurrentRow(1);
    editor.removeButton->click();
    editor.removeButton->click();
    QCOMPARE(editor.programEntries(), QStringList({"01", "03"}));
    QCOMPARE(editor.programCount->text(), QStringLiteral("2"));

    editor.clearButton->click();
    QCOMPARE(editor.programCount->text(), QStringLiteral("0"));
    rig.commands.clear();
    editor.startButton->click();
    QCOMPARE(rig.boxes.shown, QList<ShownMessage>({{"プログラムが予約されていません。", Icon::Exclamation, false}}));
    QVERIFY(rig.editorOpenOverDisabledWindow() && editor.isVisible());
    QVERIFY(rig.commands.isEmpty() && rig.core->programList.isEmpty());
}

void TestProgramEditor::thousandEntriesAndNoMore()
{
    EditorRig rig(m_shortDisc);
    ProgramEditor &editor = rig.openEditor();
    editor.discTracks->setCurrentRow(1);
    for (int i = 0; i < 1001; ++i)
        editor.addButton->click();
    QCOMPARE(rig.boxes.shown, QList<ShownMessage>({{"1000トラックを超える設定はできません。", Icon::None, false}}));
    QCOMPARE(editor.programCount->text(), QStringLiteral("1000"));
    editor.startButton->click();
    QCOMPARE(rig.core->programList.count(), 1000);
}

// The disc list keeps its selection, so three clicks add the track three
// times; the start closes the editor and gives the main window back.
void TestProgramEditor::sameTrackThreeTimesPlaysThreeTimes()
{
    EditorRig rig(m_shortDisc);
    rig.openEditor();
    rig.reservation.editor()->discTracks->setCurrentRow(1);
    for (int i = 0; i < 3; ++i)
        rig.reservation.editor()->addButton->click();
    rig.commands.clear();
    rig.reservation.editor()->startButton->click();
    QVERIFY(!rig.reservation.editor() && rig.mainWindow.isEnabled());
    const PlayerState &s = rig.state();
    QCOMPARE(QList<int>({s.programReserved, s.playMode, s.programIndex, s.playWanted, s.stoppedByUser, s.pausedByUser}), QList<int>({1, 4, 0, 1, 0, 0}));
    QCOMPARE(rig.commands, QStringList{"play"});
    QCOMPARE(rig.mmc().from(), 2);

    QVERIFY(rig.updateUntil([&] { return !s.playWanted; }));
    QCOMPARE(runTracks(rig.runs(), DiscMap(m_shortLayout)), QStringLiteral("2[..2] 2[..2] 2[..2]"));
    rig.update();
    QCOMPARE(rig.text1(), QStringLiteral("02"));
    QCOMPARE(rig.mmc().mode(), qint32(CdAudioControl::ModeStopped));
}

// No keeps the old program playing, and stepping, under the open editor;
// Yes plays the new one from its first entry without repeat.
void TestProgramEditor::reservedProgramIsCopiedAndReplacedOnlyAfterYes()
{
    EditorRig rig(m_longDisc);
    rig.startProgram({"01", "03"}, ModeProgramRepeat);
    ProgramEditor &editor = rig.openEditor();
    QCOMPARE(editor.programEntries(), QStringList({"01", "03"}));
    QCOMPARE(editor.programCount->text(), QStringLiteral("2"));
    editor.clearButton->click();
    rig.add({2});
    rig.boxes.answerYes = false;
    editor.startButton->click();
    QCOMPARE(rig.boxes.shown, QList<ShownMessage>({{"すでにプログラム演奏が行われています。\r\n"
                                                    "新しく設定した予約に設定しますか？",
                                                    Icon::Exclamation, true}}));
    QVERIFY(rig.editorOpenOverDisabledWindow());
    QCOMPARE(rig.program(), QStringList({"01", "03"}));
    QVERIFY(rig.updateUntilTrack(3));
    QCOMPARE(rig.state().programIndex, qint16(1));

    rig.boxes.answerYes = true;
    editor.startButton->click();
    QCOMPARE(rig.program(), QStringList{"02"});
    QCOMPARE(QList<int>({rig.state().playMode, rig.state().programIndex}), QList<int>({4, 0}));
    rig.update();
    QCOMPARE(rig.text1(), QStringLiteral("02"));
    QVERIFY(rig.mainWindow.isEnabled());
}

// The disc goes (and the reserved program with it) and a shorter one comes
// while the editor is open: the start asks nothing, the entry beyond the
// new disc plays nothing (not even on from where the disc was playing),
// and the program steps on to the next entry.
void TestProgramEditor::discChangedWhileOpenLeavesTheEditorUsable()
{
    EditorRig rig(writeDisc(QStringLiteral("editor-swap"), tracksOfSeconds({1, 1, 1, 1, 1})));
    rig.startProgram({"05", "01"});
    ProgramEditor &editor = rig.openEditor();
    rig.mmc().command(QStringLiteral("eject"));
    writeDisc(QStringLiteral("editor-swap"), m_shortLayout);
    QVERIFY(rig.updateUntilTrack(0));
    QVERIFY(rig.updateUntilTrack(1));
    QCOMPARE(rig.state().programReserved, false);
    rig.transport->play();  // as a desktop media key may, past the disabled window
    rig.update(2);

    rig.capture.clear();
    rig.commands.clear();
    editor.startButton->click();
    QVERIFY(rig.boxes.shown.isEmpty());
    QCOMPARE(rig.commands, QStringList{"stop"});
    QVERIFY(rig.updateUntil([&] { return !rig.state().playWanted; }));
    QCOMPARE(runTracks(rig.runs(), DiscMap(m_shortLayout)), QStringLiteral("1[..1]"));
}

void TestProgramEditor::escapeCancelsOverTheWindowItBelongsTo()
{
    EditorRig rig(writeDisc(QStringLiteral("editor-escape"), tracksOfSeconds({1, 1})));
    rig.mainWindow.show();
    QPointer<ProgramEditor> editor = &rig.openEditor();
    QCOMPARE(editor->windowHandle()->transientParent(), rig.mainWindow.windowHandle());
    rig.add({2});
    QTest::keyClick(editor, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!editor);
    QVERIFY(rig.mainWindow.isEnabled());
    QCOMPARE(rig.program(), QStringList());
}

QTEST_MAIN(TestProgramEditor)
#include "tst_program_editor.moc"
