// SPDX-License-Identifier: GPL-3.0-or-later
// The product-information window: its controls where the design puts
// them, one window at a time, opened from the main window and outliving
// it, closed by its picture, moved by its strip, and its two pages.
#include "disc_rig.h"
#include "drag_handle.h"
#include "picture_button.h"
#include "seihin.h"
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

QList<Seihin *> openWindows()
{
    QList<Seihin *> open;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *seihin = qobject_cast<Seihin *>(widget); seihin && seihin->isVisible())
            open << seihin;
    }
    return open;
}

void deleteClosedWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

class TestSeihin : public QObject {
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

void TestSeihin::initTestCase()
{
    m_disc = writeDisc(QStringLiteral("one"), tracksOfSeconds({5}));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratchDir() + QStringLiteral("/config")));
}

void TestSeihin::cleanup()
{
    for (Seihin *seihin : openWindows())
        seihin->close();
    deleteClosedWindows();
}

void TestSeihin::controlsAtTheirPlaces()
{
    Seihin seihin;
    QCOMPARE(seihin.size(), QSize(420, 192));
    QCOMPARE(seihin.minimumSize(), seihin.maximumSize());
    QVERIFY(seihin.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(seihin.windowTitle(), QStringLiteral("製品情報"));
    for (const Expected &control : kControls) {
        auto *label = seihin.findChild<QLabel *>(QLatin1String(control.name));
        QVERIFY2(label, control.name);
        QCOMPARE(label->geometry(), control.rect);
        QCOMPARE(label->text(), QString::fromUtf8(control.text));
        QCOMPARE(label->font().pixelSize(), control.pixelSize);
    }
    auto *note = seihin.findChild<QLabel *>(QStringLiteral("Label13"));
    QVERIFY(note->wordWrap());
    QCOMPARE(note->palette().color(QPalette::WindowText), QColor(252, 253, 196));
    QVERIFY(seihin.findChild<QLabel *>(QStringLiteral("Label12"))->alignment() & Qt::AlignRight);
    QVERIFY(!seihin.findChild<QLabel *>(QStringLiteral("Label5"))->text().isEmpty());

    // The pictures, at their sizes, and the buttons.
    for (const auto &[name, size] : {std::pair{"Background", QSize(420, 192)}, std::pair{"Image1", QSize(32, 32)},
                                     std::pair{"Image2", QSize(93, 28)}})
        QCOMPARE(seihin.findChild<QLabel *>(QLatin1String(name))->pixmap().size(), size);
    QCOMPARE(seihin.Picture1->geometry(), QRect(7, 8, 17, 17));
    QCOMPARE(seihin.Command2->geometry(), QRect(184, 160, 225, 20));
    // The close picture lies above the drag strip it sits on.
    QCOMPARE(seihin.childAt(15, 16), seihin.Picture1);
}

void TestSeihin::pagesGoToTheOpener()
{
    QList<QUrl> opened;
    Seihin seihin([&opened](const QUrl &url) { opened << url; });
    QTest::mouseClick(seihin.Command1, Qt::LeftButton);
    QTest::mouseClick(seihin.Command2, Qt::LeftButton);
    QCOMPARE(opened, QList<QUrl>({QUrl(seihin.Command1->text()), QUrl(seihin.Command2->text())}));
    // The player's page lies one folder below the home page.
    const QUrl home = opened[0];
    QVERIFY(home.isValid() && home.scheme().startsWith(QStringLiteral("http")));
    QVERIFY(home.isParentOf(opened[1]));
    QCOMPARE(opened[1].path().count(QLatin1Char('/')), home.path().count(QLatin1Char('/')) + 1);
}

void TestSeihin::closedByItsPictureWithTheLeftButton()
{
    QPointer<Seihin> seihin = Seihin::showTheWindow();
    QTest::mouseClick(seihin->Picture1, Qt::RightButton);
    QVERIFY(seihin->isVisible());
    QTest::mouseClick(seihin->Picture1, Qt::LeftButton);
    deleteClosedWindows();
    QVERIFY(!seihin);
    // Escape closes it too; it is shown over the window that opened it.
    QWidget owner;
    owner.show();
    seihin = Seihin::showTheWindow(&owner);
    QCOMPARE(seihin->windowHandle()->transientParent(), owner.windowHandle());
    QCOMPARE(QAccessible::queryAccessibleInterface(seihin->Picture1)->text(QAccessible::Name), QStringLiteral("閉じる"));
    QTest::keyClick(seihin, Qt::Key_Escape);
    deleteClosedWindows();
    QVERIFY(!seihin);
}

void TestSeihin::movedByItsStripWithTheLeftButtonOnly()
{
    Seihin *seihin = Seihin::showTheWindow();
    const QPoint start = seihin->pos();
    const QPoint onStrip(10, 100);
    QTest::mousePress(seihin->Label6, Qt::RightButton, {}, onStrip);
    QTest::mouseMove(seihin->Label6, onStrip + QPoint(30, 40));
    QTest::mouseRelease(seihin->Label6, Qt::RightButton, {}, onStrip + QPoint(30, 40));
    QCOMPARE(seihin->pos(), start);
    QTest::mousePress(seihin->Label6, Qt::LeftButton, {}, onStrip);
    QTest::mouseMove(seihin->Label6, onStrip + QPoint(30, 40));
    QTest::mouseRelease(seihin->Label6, Qt::LeftButton, {}, onStrip + QPoint(30, 40));
    QCOMPARE(seihin->pos(), start + QPoint(30, 40));
}

// The style keeps its drawings of the buttons by palette: a palette of
// each window's own would add to the pixmap cache at every opening.
void TestSeihin::everyOpeningDrawnWithTheSamePalette()
{
    QPointer<Seihin> first = Seihin::showTheWindow();
    const qint64 key = first->Command1->palette().cacheKey();
    first->close();
    deleteClosedWindows();
    QVERIFY(!first);
    const Seihin *next = Seihin::showTheWindow();
    for (const QWidget *widget : std::initializer_list<const QWidget *>{next, next->Command1, next->Command2}) {
        QCOMPARE(widget->palette().cacheKey(), key);
        QCOMPARE(widget->palette().color(QPalette::Window), QColor(Qt::black));
    }
}

void TestSeihin::oneWindowOpenedFromTheMainWindowAndOutlivingIt()
{
    WindowRig rig(m_disc);
    // Any button, on release.
    QTest::mouseClick(rig.skin().Image3, Qt::RightButton);
    QCOMPARE(openWindows().size(), 1);
    QPointer<Seihin> first = openWindows().value(0);
    QVERIFY(!first->isModal() && !QApplication::activeModalWidget());
    QCOMPARE(first->parentWidget(), nullptr);
    QTest::mouseClick(rig.skin().Image3, Qt::LeftButton);
    QCOMPARE(openWindows(), QList<Seihin *>{first});

    // The main window goes; the product information stays until closed.
    QTest::mouseClick(rig.skin().Image7, Qt::LeftButton);
    deleteClosedWindows();
    QVERIFY(!rig.form->isVisible());
    QVERIFY(first && first->isVisible());
}

QTEST_MAIN(TestSeihin)
#include "tst_seihin.moc"
