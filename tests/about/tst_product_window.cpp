// SPDX-License-Identifier: GPL-3.0-or-later
// The product-information window: its controls where the design puts
// them, one window at a time, opened from the main window and outliving
// it, closed by its picture, moved by its strip, and its two pages.
#include "disc_rig.h"
#include "drag_handle.h"
#include "picture_button.h"
#include "product_window.h"
#include "window_rig.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

namespace {

struct Expected {
    const char *name;
    QRect rect;
    const char *text;
    int pixelSize;
};

// The design's twips at 15 to the pixel, the sizes in points at 96 dpi.
const Expected kControls[] = {
    {"Label1", {88, 10, 321, 25}, "VELOR CD Player", 24},
    {"Label2", {96, 42, 145, 17}, "Version  " VELOR_VERSION, 16},
    {"Label3", {336, 45, 65, 17}, "[PZFS-0006]", 12},
    {"Label12", {72, 96, 65, 13}, "製作・著作", 13},
    {"Label13", {33, 144, 148, 44}, "ヴェロルはサークル名であり、実在する企業・団体とは一切関係ありません。", 11},
};

QList<ProductWindow *> openWindows()
{
    QList<ProductWindow *> open;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *productWindow = qobject_cast<ProductWindow *>(widget); productWindow && productWindow->isVisible())
            open << productWindow;
    }
    return open;
}

void deleteClosedWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

class TestProductWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void controlsAtTheirPlaces();
    void pagesGoToTheOpener();
    void closedByItsPictureWithTheLeftButton();
    void movedByItsStripWithTheLeftButtonOnly();
    void everyOpeningDrawnWithTheSamePalette();
    void oneWindowOpenedFromTheMainWindowAndOutlivingIt();

private:
    QString m_disc;
};

void TestProductWindow::initTestCase()
{
    m_disc = writeDisc(QStringLiteral("one"), tracksOfSeconds({5}));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratchDir() + QStringLiteral("/config")));
}

void TestProductWindow::cleanup()
{
    for (ProductWindow *productWindow : openWindows())
        productWindow->close();
    deleteClosedWindows();
}

void TestProductWindow::controlsAtTheirPlaces()
{
    ProductWindow productWindow;
    QCOMPARE(productWindow.size(), QSize(420, 192));
    QCOMPARE(productWindow.minimumSize(), productWindow.maximumSize());
    QVERIFY(productWindow.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(productWindow.windowTitle(), QStringLiteral("製品情報"));
    for (const Expected &control : kControls) {
        auto *label = productWindow.findChild<QLabel *>(QLatin1String(control.name));
        QVERIFY2(label, control.name);
        QCOMPARE(label->geometry(), control.rect);
        QCOMPARE(label->text(), QString::fromUtf8(control.text));
        QCOMPARE(label->font().pixelSize(), control.pixelSize);
    }
    auto *note = productWindow.findChild<QLabel *>(QStringLiteral("Label13"));
    QVERIFY(note->wordWrap());
    QCOMPARE(note->palette().color(QPalette::WindowText), QColor(252, 253, 196));
    QVERIFY(productWindow.findChild<QLabel *>(QStringLiteral("Label12"))->alignment() & Qt::AlignRight);
    QVERIFY(!productWindow.findChild<QLabel *>(QStringLiteral("Label5"))->text().isEmpty());

    // The pictures, at their sizes, and the buttons.
    for (const auto &[name, size] : {std::pair{"Background", QSize(420, 192)}, std::pair{"Image1", QSize(32, 32)},
                                     std::pair{"Image2", QSize(93, 28)}})
        QCOMPARE(productWindow.findChild<QLabel *>(QLatin1String(name))->pixmap().size(), size);
    QCOMPARE(productWindow.closePicture->geometry(), QRect(7, 8, 17, 17));
    QCOMPARE(productWindow.playerPageButton->geometry(), QRect(184, 160, 225, 20));
    // The close picture lies above the drag strip it sits on.
    QCOMPARE(productWindow.childAt(15, 16), productWindow.closePicture);
}

void TestProductWindow::pagesGoToTheOpener()
{
    QList<QUrl> opened;
    ProductWindow productWindow([&opened](const QUrl &url) { opened << url; });
    QTest::mouseClick(productWindow.homePageButton, Qt::LeftButton);
    QTest::mouseClick(productWindow.playerPageButton, Qt::LeftButton);
    QCOMPARE(opened, QList<QUrl>({QUrl(productWindow.homePageButton->text()), QUrl(productWindow.playerPageButton->text())}));
    // The player's page lies one folder below the home page.
    const QUrl home = opened[0];
    QVERIFY(home.isValid() && home.scheme().startsWith(QStringLiteral("http")));
    QVERIFY(home.isParentOf(opened[1]));
    QCOMPARE(opened[1].path().count(QLatin1Char('/')), home.path().count(QLatin1Char('/')) + 1);
}

void TestProductWindow::closedByItsPictureWithTheLeftButton()
{
    QPointer<ProductWindow> productWindow = ProductWindow::showTheWindow();
    QTest::mouseClick(productWindow->closePicture, Qt::RightButton);
    QVERIFY(productWindow->isVisible());
    QTest::mouseClick(productWindow->closePicture, Qt::LeftButton);
    deleteClosedWindows();
    QVERIFY(!productWindow);
    // Escape closes it too; it is shown over the window that opened it.
    QWidget owner;
    owner.show();
    productWindow = ProductWindow::showTheWindow(&owner);
    QCOMPARE(productWindow->windowHandle()->transientParent(), owner.windowHandle());
    QCOMPARE(QAccessible::queryAccessibleInterface(productWindow->closePicture)->text(QAccessible::Name), QStringLiteral("閉じる"));
    QTest::keyClick(productWindow, Qt::Key_Escape);
    deleteClosedWindows();
    QVERIFY(!productWindow);
}

void TestProductWindow::movedByItsStripWithTheLeftButtonOnly()
{
    ProductWindow *productWindow = ProductWindow::showTheWindow();
    const QPoint start = productWindow->pos();
    const QPoint onStrip(10, 100);
    QTest::mousePress(productWindow->dragStrip, Qt::RightButton, {}, onStrip);
    QTest::mouseMove(productWindow->dragStrip, onStrip + QPoint(30, 40));
    QTest::mouseRelease(productWindow->dragStrip, Qt::RightButton, {}, onStrip + QPoint(30, 40));
    QCOMPARE(productWindow->pos(), start);
    QTest::mousePress(productWindow->dragStrip, Qt::LeftButton, {}, onStrip);
    QTest::mouseMove(productWindow->dragStrip, onStrip + QPoint(30, 40));
    QTest::mouseRelease(productWindow->dragStrip, Qt::LeftButton, {}, onStrip + QPoint(30, 40));
    QCOMPARE(productWindow->pos(), start + QPoint(30, 40));
}

// The style keeps its drawings of the buttons by palette: a palette of
// each window's own would add to the pixmap cache at every opening.
void TestProductWindow::everyOpeningDrawnWithTheSamePalette()
{
    QPointer<ProductWindow> first = ProductWindow::showTheWindow();
    const qint64 key = first->homePageButton->palette().cacheKey();
    first->close();
    deleteClosedWindows();
    QVERIFY(!first);
    const ProductWindow *next = ProductWindow::showTheWindow();
    for (const QWidget *widget : std::initializer_list<const QWidget *>{next, next->homePageButton, next->playerPageButton}) {
        QCOMPARE(widget->palette().cacheKey(), key);
        QCOMPARE(widget->palette().color(QPalette::Window), QColor(Qt::black));
    }
}

void TestProductWindow::oneWindowOpenedFromTheMainWindowAndOutlivingIt()
{
    WindowRig rig(m_disc);
    // Any button, on release.
    QTest::mouseClick(rig.skin().infoButton, Qt::RightButton);
    QCOMPARE(openWindows().size(), 1);
    QPointer<ProductWindow> first = openWindows().value(0);
    QVERIFY(!first->isModal() && !QApplication::activeModalWidget());
    QCOMPARE(first->parentWidget(), nullptr);
    QTest::mouseClick(rig.skin().infoButton, Qt::LeftButton);
    QCOMPARE(openWindows(), QList<ProductWindow *>{first});

    // The main window goes; the product information stays until closed.
    QTest::mouseClick(rig.skin().exitButton, Qt::LeftButton);
    deleteClosedWindows();
    QVERIFY(!rig.form->isVisible());
    QVERIFY(first && first->isVisible());
}

QTEST_MAIN(TestProductWindow)
#include "tst_product_window.moc"
