// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_editor.h"

#include "device_values.h"
#include "fonts.h"
#include "program_editor_layout.h"
#include "message_box.h"
#include "player_core.h"
#include "program_handover.h"
#include "twips.h"
#include "window_owner.h"

#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QKeyEvent>
#include <QScreen>
#include <QStyledItemDelegate>

namespace {

const QString kTitle = QStringLiteral("プログラム");
const QString kTrack = QStringLiteral("トラック");
const QString kLimitReached = QStringLiteral("1000トラックを超える設定はできません。");
const QString kNothingReserved = QStringLiteral("プログラムが予約されていません。");
const QString kReplaceReserved = QStringLiteral("すでにプログラム演奏が行われています。\r\n"
                                                "新しく設定した予約に設定しますか？");

// Font sizes of the design in pixels at 96 dpi: lists 12 pt, buttons and
// labels 9 pt, the count 9.75 pt.
constexpr int kListFontPx = 16;
constexpr int kButtonAndLabelFontPx = 12;
constexpr int kCountFontPx = 13;

// Rows as high as the list font, as in the lists the editor was designed
// with; it also keeps each row at a known place.
class FixedRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), kListFontPx};
    }
};

QRect pixels(const QRect &twips)
{
    return {twipsToPixels(twips.x()), twipsToPixels(twips.y()), twipsToPixels(twips.width()),
            twipsToPixels(twips.height())};
}

QWidget *createControl(const ProgramEditorControl &control, QWidget *parent)
{
    using K = ProgramEditorControl::Kind;
    const QString caption = QString::fromUtf8(control.caption);
    QWidget *widget = nullptr;
    switch (control.kind) {
    case K::Label:
    case K::CountLabel: {
        auto *label = new QLabel(caption, parent);
        const bool count = control.kind == K::CountLabel;
        label->setAlignment((count ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
        label->setFont(japaneseFont(count ? kCountFontPx : kButtonAndLabelFontPx));
        widget = label;
        break;
    }
    case K::List: {
        auto *list = new QListWidget(parent);
        list->setFont(japaneseFont(kListFontPx));
        list->setItemDelegate(new FixedRowDelegate(list));
        list->setUniformItemSizes(true);
        widget = list;
        break;
    }
    case K::Button:
        widget = new QPushButton(caption, parent);
        widget->setFont(japaneseFont(kButtonAndLabelFontPx));
        break;
    }
    widget->setObjectName(QString::fromLatin1(control.name));
    widget->setGeometry(pixels(control.twips));
    return widget;
}

// The selected row, or -1 when nothing is selected.
int selectedRow(const QListWidget *list)
{
    const QList<QListWidgetItem *> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

QString trackEntry(const QString &twoDigitTrack) { return kTrack + twoDigitTrack; }

}  // namespace

ProgramEditor::ProgramEditor(PlayerCore &core, QWidget &mainWindow)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                           | Qt::WindowCloseButtonHint),
      m_core(core),
      m_mainWindow(mainWindow)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kTitle);
    setFixedSize(twipsToPixels(ProgramEditorClientTwips.width()), twipsToPixels(ProgramEditorClientTwips.height()));
    createControls();
    connect(addButton, &QPushButton::clicked, this, &ProgramEditor::addTrack);
    connect(removeButton, &QPushButton::clicked, this, &ProgramEditor::removeTrack);
    connect(clearButton, &QPushButton::clicked, this, &ProgramEditor::removeAllTracks);
    connect(cancelButton, &QPushButton::clicked, this, &ProgramEditor::cancel);
    connect(startButton, &QPushButton::clicked, this, &ProgramEditor::startProgram);
    load();
    centreOnScreen();
    showAsOwnedBy(*this, mainWindow);
}

void ProgramEditor::createControls()
{
    QWidget *previous = nullptr;
    for (const ProgramEditorControl &control : programEditorControls()) {
        QWidget *widget = createControl(control, this);
        if (control.kind == ProgramEditorControl::Kind::Label || control.kind == ProgramEditorControl::Kind::CountLabel)
            continue;
        if (previous)
            setTabOrder(previous, widget);
        previous = widget;
    }
    const auto child = [this](const char *name) {
        return findChild<QWidget *>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
    };
    discCaption = qobject_cast<QLabel *>(child("Label1"));
    programCaption = qobject_cast<QLabel *>(child("Label2"));
    discTrackCount = qobject_cast<QLabel *>(child("Label3"));
    programCount = qobject_cast<QLabel *>(child("Label4"));
    discTracks = qobject_cast<QListWidget *>(child("List1"));
    programTracks = qobject_cast<QListWidget *>(child("List2"));
    addButton = qobject_cast<QPushButton *>(child("Command1"));
    removeButton = qobject_cast<QPushButton *>(child("Command2"));
    clearButton = qobject_cast<QPushButton *>(child("Command3"));
    cancelButton = qobject_cast<QPushButton *>(child("Command4"));
    startButton = qobject_cast<QPushButton *>(child("Command5"));
}

// The reserved program comes into programTracks, so the count, the list and the
// limit always agree and a start can never hand over an empty list.
void ProgramEditor::load()
{
    const int tracks = m_core.device.trackCount();
    for (int track = 1; track <= tracks; ++track)
        discTracks->addItem(trackEntry(twoDigits(track)));
    discTrackCount->setText(QString::number(m_core.device.trackCount()) + kTrack);
    for (int i = 0; i < m_core.programList.count(); ++i)
        programTracks->addItem(trackEntry(m_core.programList.entry(i)));
    setCount(programTracks->count());
}

QStringList ProgramEditor::programEntries() const
{
    QStringList entries;
    for (int i = 0; i < programTracks->count(); ++i)
        entries << programTracks->item(i)->text().right(2);
    return entries;
}

// Add: the selection of discTracks stays, so another click adds the track again.
void ProgramEditor::addTrack()
{
    const int row = selectedRow(discTracks);
    if (row < 0)
        return;
    if (count() >= ProgramList::kMaxEntries) {
        messageBoxes().tell(this, kLimitReached, MessageBoxes::Icon::None);
        return;
    }
    programTracks->addItem(discTracks->item(row)->text());
    setCount(count() + 1);
}

// Delete: afterwards nothing is selected, so a second click deletes nothing.
void ProgramEditor::removeTrack()
{
    const int row = selectedRow(programTracks);
    if (row < 0)
        return;
    delete programTracks->takeItem(row);
    programTracks->clearSelection();
    setCount(count() - 1);
}

void ProgramEditor::removeAllTracks()
{
    programTracks->clear();
    setCount(0);
}

void ProgramEditor::cancel()
{
    m_mainWindow.setEnabled(true);
    close();
}

void ProgramEditor::startProgram()
{
    if (programCount->text() == QLatin1String("0")) {
        messageBoxes().tell(this, kNothingReserved, MessageBoxes::Icon::Exclamation);
        return;
    }
    if (m_core.state.programReserved
        && !messageBoxes().ask(this, kReplaceReserved, MessageBoxes::Icon::Exclamation))
        return;
    handOver();
    close();
}

void ProgramEditor::handOver()
{
    hide();
    reserveProgram(m_core, programEntries());
    m_mainWindow.setEnabled(true);
    m_mainWindow.raise();
    m_mainWindow.activateWindow();
}

// Escape cancels, as the cancel button does.
void ProgramEditor::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        cancel();
    else
        QWidget::keyPressEvent(event);
}

// A window-system close acts as the cancel button does.
void ProgramEditor::closeEvent(QCloseEvent *event)
{
    m_mainWindow.setEnabled(true);
    event->accept();
    emit closed();
}

int ProgramEditor::count() const { return programCount->text().toInt(); }

void ProgramEditor::setCount(int count) { programCount->setText(QString::number(count)); }

void ProgramEditor::centreOnScreen()
{
    const QScreen *screen = m_mainWindow.screen();
    if (!screen)
        return;
    QRect frame = rect();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}
