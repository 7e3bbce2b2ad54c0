// SPDX-License-Identifier: GPL-3.0-or-later
#include "seihin.h"

#include "drag_handle.h"
#include "fonts.h"
#include "picture_button.h"
#include "seihin_layout.h"
#include "skin_pictures.h"
#include "transparent_label.h"
#include "twips.h"
#include "window_owner.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

namespace {

QLabel *createPicture(const SeihinElement &element, QWidget *parent)
{
    auto *picture = new QLabel(parent);
    picture->setPixmap(QPixmap::fromImage(skinPicture(element.picture)));
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return picture;
}

QLabel *createLabel(const SeihinElement &element, QWidget *parent)
{
    QLabel *label = transparentLabel(QString::fromUtf8(element.text), element.colour,
                                     japaneseFont(element.pixelSize()), element.alignment, parent);
    label->setWordWrap(element.wraps);
    return label;
}

QPushButton *createLink(const SeihinElement &element, QWidget *parent)
{
    auto *button = new QPushButton(QString::fromUtf8(element.text), parent);
    button->setFont(japaneseFont(element.pixelSize()));
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

// Every product window shares one palette, the application's with a black
// window, set for the class. The style keeps its drawings of the buttons by
// palette: a palette of each window's own would add new drawings to the
// pixmap cache at every opening, about 36 KB each time, up to its 10 MB.
// A theme change drops class palettes; the next window sets it up again.
void useBlackWindowPalette()
{
    const char *className = Seihin::staticMetaObject.className();
    if (QApplication::palette(className).color(QPalette::Window) == Qt::black)
        return;
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Window, Qt::black);
    // Marked as inherited rather than set, so that the window and its
    // children take it as it is instead of each resolving a copy of it.
    palette.setResolveMask(0);
    QApplication::setPalette(palette, className);
}

void centreOnScreen(QWidget &window)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

}  // namespace

Seihin::Seihin(UrlOpener open) : QWidget(nullptr, Qt::FramelessWindowHint), m_open(std::move(open))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("製品情報"));
    useBlackWindowPalette();
    setAutoFillBackground(true);
    for (const SeihinElement &element : seihinLayout()) {
        QWidget *widget = create(element);
        widget->setObjectName(QString::fromLatin1(element.name));
        widget->setGeometry(element.rect());
    }
    Picture1 = findChild<PictureButton *>(QStringLiteral("Picture1"));
    // The close picture has no caption; a screen reader names it by its use.
    Picture1->setAccessibleName(QStringLiteral("閉じる"));
    Label6 = findChild<DragHandle *>(QStringLiteral("Label6"));
    Command1 = findChild<QPushButton *>(QStringLiteral("Command1"));
    Command2 = findChild<QPushButton *>(QStringLiteral("Command2"));
    connect(Picture1, &PictureButton::released, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton)
            Picture1_Click();
    });
    connect(Command1, &QPushButton::clicked, this, &Seihin::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Seihin::Command2_Click);
    Form_Load();
}

QWidget *Seihin::create(const SeihinElement &element)
{
    switch (element.kind) {
    case SeihinKind::Picture:
        return createPicture(element, this);
    case SeihinKind::CloseButton:
        return new PictureButton(QPixmap::fromImage(skinPicture(element.picture)), this);
    case SeihinKind::DragStrip:
        // Only the left button moves the window, and the place is not kept.
        return new DragHandle(this);
    case SeihinKind::Label:
        return createLabel(element, this);
    case SeihinKind::Link:
        return createLink(element, this);
    }
    Q_UNREACHABLE();
}

void Seihin::Form_Load()
{
    setFixedSize(twipsToPixels(6300), twipsToPixels(2880));
    centreOnScreen(*this);
}

void Seihin::Command1_Click() { m_open(QUrl(Command1->text())); }

void Seihin::Command2_Click() { m_open(QUrl(Command2->text())); }

void Seihin::Picture1_Click() { close(); }

void Seihin::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        Picture1_Click();
    else
        QWidget::keyPressEvent(event);
}

Seihin *Seihin::showTheWindow(const QWidget *owner, UrlOpener open)
{
    static QPointer<Seihin> theWindow;
    if (!theWindow) {
        theWindow = new Seihin(std::move(open));
        if (owner)
            showAsOwnedBy(*theWindow, *owner);
    }
    theWindow->show();
    theWindow->raise();
    theWindow->activateWindow();
    return theWindow;
}
