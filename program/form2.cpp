// SPDX-License-Identifier: GPL-3.0-or-later
#include "form2.h"

#include "device_values.h"
#include "fonts.h"
#include "form2_layout.h"
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

QWidget *createControl(const Form2Control &control, QWidget *parent)
{
    using K = Form2Control::Kind;
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

Form2::Form2(PlayerCore &core, QWidget &mainWindow)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                           | Qt::WindowCloseButtonHint),
      m_core(core),
      m_mainWindow(mainWindow)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kTitle);
    setFixedSize(twipsToPixels(Form2ClientTwips.width()), twipsToPixels(Form2ClientTwips.height()));
    createControls();
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form2::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form2::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form2::Command5_Click);
    Form_Load();
    centreOnScreen();
    showAsOwnedBy(*this, mainWindow);
}

void Form2::createControls()
{
    QWidget *previous = nullptr;
    for (const Form2Control &control : form2Controls()) {
        QWidget *widget = createControl(control, this);
        if (control.kind == Form2Control::Kind::Label || control.kind == Form2Control::Kind::CountLabel)
            continue;
        if (previous)
            setTabOrder(previous, widget);
        previous = widget;
    }
    const auto child = [this](const char *name) {
        return findChild<QWidget *>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
    };
    Label1 = qobject_cast<QLabel *>(child("Label1"));
    Label2 = qobject_cast<QLabel *>(child("Label2"));
    Label3 = qobject_cast<QLabel *>(child("Label3"));
    Label4 = qobject_cast<QLabel *>(child("Label4"));
    List1 = qobject_cast<QListWidget *>(child("List1"));
    List2 = qobject_cast<QListWidget *>(child("List2"));
    Command1 = qobject_cast<QPushButton *>(child("Command1"));
    Command2 = qobject_cast<QPushButton *>(child("Command2"));
    Command3 = qobject_cast<QPushButton *>(child("Command3"));
    Command4 = qobject_cast<QPushButton *>(child("Command4"));
    Command5 = qobject_cast<QPushButton *>(child("Command5"));
}

// The reserved program comes into List2, so the count, the list and the
// limit always agree and a start can never hand over an empty list.
void Form2::Form_Load()
{
    const int tracks = m_core.MMC.Tracks();
    for (int track = 1; track <= tracks; ++track)
        List1->addItem(trackEntry(twoDigits(track)));
    Label3->setText(QString::number(m_core.MMC.Tracks()) + kTrack);
    for (int i = 0; i < m_core.List1.count(); ++i)
        List2->addItem(trackEntry(m_core.List1.entry(i)));
    setCount(List2->count());
}

QStringList Form2::programEntries() const
{
    QStringList entries;
    for (int i = 0; i < List2->count(); ++i)
        entries << List2->item(i)->text().right(2);
    return entries;
}

// Add: the selection of List1 stays, so another click adds the track again.
void Form2::Command1_Click()
{
    const int row = selectedRow(List1);
    if (row < 0)
        return;
    if (count() >= ProgramList::kMaxEntries) {
        messageBoxes().tell(this, kLimitReached, MessageBoxes::Icon::None);
        return;
    }
    List2->addItem(List1->item(row)->text());
    setCount(count() + 1);
}

// Delete: afterwards nothing is selected, so a second click deletes nothing.
void Form2::Command2_Click()
{
    const int row = selectedRow(List2);
    if (row < 0)
        return;
    delete List2->takeItem(row);
    List2->clearSelection();
    setCount(count() - 1);
}

void Form2::Command3_Click()
{
    List2->clear();
    setCount(0);
}

void Form2::Command4_Click()
{
    m_mainWindow.setEnabled(true);
    close();
}

void Form2::Command5_Click()
{
    if (Label4->text() == QLatin1String("0")) {
        messageBoxes().tell(this, kNothingReserved, MessageBoxes::Icon::Exclamation);
        return;
    }
    if (m_core.state.PgmPlay == 1
        && !messageBoxes().ask(this, kReplaceReserved, MessageBoxes::Icon::Exclamation))
        return;
    handOver();
    close();
}

void Form2::handOver()
{
    hide();
    reserveProgram(m_core, programEntries());
    m_mainWindow.setEnabled(true);
    m_mainWindow.raise();
    m_mainWindow.activateWindow();
}

// Escape cancels, as the cancel button does.
void Form2::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        Command4_Click();
    else
        QWidget::keyPressEvent(event);
}

// A window-system close acts as the cancel button does.
void Form2::closeEvent(QCloseEvent *event)
{
    m_mainWindow.setEnabled(true);
    event->accept();
    emit closed();
}

int Form2::count() const { return Label4->text().toInt(); }

void Form2::setCount(int count) { Label4->setText(QString::number(count)); }

void Form2::centreOnScreen()
{
    const QScreen *screen = m_mainWindow.screen();
    if (!screen)
        return;
    QRect frame = rect();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}
