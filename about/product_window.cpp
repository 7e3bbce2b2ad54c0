// SPDX-License-Identifier: GPL-3.0-or-later
#include "product_window.h"

#include "drag_handle.h"
#include "fonts.h"
#include "picture_button.h"
#include "product_layout.h"
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

QLabel *createPicture(const ProductElement &element, QWidget *parent)
{
    auto *picture = new QLabel(parent);
    picture->setPixmap(QPixmap::fromImage(skinPicture(element.picture)));
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return picture;
}

QLabel *createLabel(const ProductElement &element, QWidget *parent)
{
    QLabel *label = transparentLabel(QString::fromUtf8(element.text), element.colour,
                                     japaneseFont(element.pixelSize()), element.alignment, parent);
    label->setWordWrap(element.wraps);
    return label;
}

QPushButton *createLink(const ProductElement &element, QWidget *parent)
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
    const char *className = ProductWindow::staticMetaObject.className();
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

ProductWindow::ProductWindow(UrlOpener open) : QWidget(nullptr, Qt::FramelessWindowHint), m_open(std::move(open))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("製品情報"));
    useBlackWindowPalette();
    setAutoFillBackground(true);
    for (const ProductElement &element : productLayout()) {
        QWidget *widget = create(element);
        widget->setObjectName(QString::fromLatin1(element.name));
        widget->setGeometry(element.rect());
    }
    closePicture = findChild<PictureButton *>(QStringLiteral("Picture1"));
    // The close picture has no caption; a screen reader names it by its use.
    closePicture->setAccessibleName(QStringLiteral("閉じる"));
    dragStrip = findChild<DragHandle *>(QStringLiteral("Label6"));
    homePageButton = findChild<QPushButton *>(QStringLiteral("Command1"));
    playerPageButton = findChild<QPushButton *>(QStringLiteral("Command2"));
    connect(closePicture, &PictureButton::released, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton)
            closeWindow();
    });
    connect(homePageButton, &QPushButton::clicked, this, &ProductWindow::openHomePage);
    connect(playerPageButton, &QPushButton::clicked, this, &ProductWindow::openPlayerPage);
    load();
}

QWidget *ProductWindow::create(const ProductElement &element)
{
    switch (element.kind) {
    case ProductElementKind::Picture:
        return createPicture(element, this);
    case ProductElementKind::CloseButton:
        return new PictureButton(QPixmap::fromImage(skinPicture(element.picture)), this);
    case ProductElementKind::DragStrip:
        // Only the left button moves the window, and the place is not kept.
        return new DragHandle(this);
    case ProductElementKind::Label:
        return createLabel(element, this);
    case ProductElementKind::Link:
        return createLink(element, this);
    }
    Q_UNREACHABLE();
}

void ProductWindow::load()
{
    setFixedSize(twipsToPixels(6300), twipsToPixels(2880));
    centreOnScreen(*this);
}

void ProductWindow::openHomePage() { m_open(QUrl(homePageButton->text())); }

void ProductWindow::openPlayerPage() { m_open(QUrl(playerPageButton->text())); }

void ProductWindow::closeWindow() { close(); }

void ProductWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        closeWindow();
    else
        QWidget::keyPressEvent(event);
}

ProductWindow *ProductWindow::showTheWindow(const QWidget *owner, UrlOpener open)
{
    static QPointer<ProductWindow> theWindow;
    if (!theWindow) {
        theWindow = new ProductWindow(std::move(open));
        if (owner)
            showAsOwnedBy(*theWindow, *owner);
    }
    theWindow->show();
    theWindow->raise();
    theWindow->activateWindow();
    return theWindow;
}
