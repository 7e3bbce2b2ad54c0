// SPDX-License-Identifier: GPL-3.0-or-later
#include "fonts.h"
#include "main_skin.h"
#include "needed_tools.h"
#include "skin_fixture.h"

#include <QAccessible>
#include <QFontDatabase>
#include <QtTest>

namespace {

struct Expected {
    const char *name;
    int x, y, w, h;
    const char *toolTip;
};

// The main window's elements, positions relative to their parents.
const Expected kElements[] = {
    {"Image7", 4, 4, 16, 16, "終了"},
    {"Image6", 4, 24, 16, 16, "最小化"},
    {"Label1", 4, 40, 17, 97, ""},
    {"PicD", 28, 5, 178, 105, ""},
    {"PicDH", 28, 5, 178, 105, ""},
    {"Image1", 211, 8, 56, 17, "リピート"},
    {"Image2", 211, 28, 56, 17, "消音"},
    {"Picture1", 211, 48, 56, 17, "プログラム"},
    {"Image5", 211, 68, 56, 17, "予約解除"},
    {"Image3", 211, 88, 56, 17, "製品情報"},
    {"ContP(0)", 25, 113, 21, 21, "トラックの先頭／前のトラック"},
    {"ContP(6)", 49, 113, 21, 21, "10秒巻戻し"},
    {"ContP(7)", 73, 113, 21, 21, "5秒巻戻し"},
    {"ContP(8)", 97, 113, 21, 21, "5秒早送り"},
    {"ContP(9)", 121, 113, 21, 21, "10秒早送り"},
    {"ContP(1)", 145, 113, 21, 21, "次のトラック"},
    {"ContP(2)", 169, 113, 30, 21, "再生"},
    {"ContP(3)", 202, 113, 21, 21, "一時停止"},
    {"ContP(4)", 226, 113, 21, 21, "停止"},
    {"ContP(5)", 250, 113, 21, 21, "取り出し"},
    {"DspT", 16, 20, 155, 30, ""},
    {"Picture2", 83, 83, 27, 15, ""},
    {"PluN(0)", 0, 0, 6, 12, ""},
    {"PluN(1)", 1, 1, 6, 12, ""},
    {"ContTr(0)", 8, 0, 22, 10, ""},
    {"ContTr(1)", 9, 1, 22, 10, ""},
};

QColor textColour(const QLabel *label)
{
    return label->palette().color(QPalette::WindowText);
}

}  // namespace

class SkinTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SkinnedWindow> m_fixture;
    MainSkin *m_skin = nullptr;
    QWidget *m_window = nullptr;

private slots:
    void init()
    {
        m_fixture = std::make_unique<SkinnedWindow>();
        m_skin = &m_fixture->skin;
        m_window = &m_fixture->window;
    }

    void cleanup() { m_fixture.reset(); }

    void everyElementHasItsPlaceSizeAndToolTip()
    {
        for (const Expected &e : kElements) {
            const QWidget *widget = m_window->findChild<QWidget *>(QString::fromLatin1(e.name));
            QVERIFY2(widget, e.name);
            QCOMPARE(widget->geometry(), QRect(e.x, e.y, e.w, e.h));
            QCOMPARE(widget->toolTip(), QString::fromUtf8(e.toolTip));
        }
    }

    void membersNameTheirElements()
    {
        const QList<QPair<QWidget *, const char *>> members = {
            {m_skin->repeatButton, "Image1"},   {m_skin->muteButton, "Image2"}, {m_skin->infoButton, "Image3"},
            {m_skin->cancelReservationButton, "Image5"},   {m_skin->minimizeButton, "Image6"}, {m_skin->exitButton, "Image7"},
            {m_skin->programButton, "Picture1"}, {m_skin->dragHandle, "Label1"}, {m_skin->discPanel, "PicD"},
            {m_skin->idlePanel, "PicDH"},     {m_skin->trackDisplay, "DspT"},     {m_skin->entryBox, "Picture2"},
            {m_skin->entryPlus[0], "PluN(0)"}, {m_skin->entryPlus[1], "PluN(1)"}, {m_skin->entryDigits[0], "ContTr(0)"},
            {m_skin->entryDigits[1], "ContTr(1)"},
        };
        for (const auto &member : members)
            QCOMPARE(member.first->objectName(), QString::fromLatin1(member.second));
        for (int i = 0; i < 10; ++i)
            QCOMPARE(m_skin->transportButtons[i]->objectName(), QStringLiteral("ContP(%1)").arg(i));
        QCOMPARE(m_skin->trackDisplay->parentWidget(), m_skin->discPanel);
        QCOMPARE(m_skin->entryBox->parentWidget(), m_skin->discPanel);
        for (QLabel *label : {m_skin->entryPlus[0], m_skin->entryPlus[1], m_skin->entryDigits[0], m_skin->entryDigits[1]})
            QCOMPARE(label->parentWidget(), m_skin->entryBox);
    }

    void buttonPicturesAreExactlyTheButtonsSize()
    {
        for (const PictureButton *button : m_window->findChildren<PictureButton *>())
            QCOMPARE(button->picture().size(), button->size());
        QCOMPARE(m_window->findChildren<PictureButton *>().size(), 17);
    }

    void backgroundFillsTheWindowBelowEverything()
    {
        QCOMPARE(m_skin->Background->geometry(), QRect(0, 0, 276, 139));
        QCOMPARE(m_skin->Background->pixmap().size(), QSize(276, 139));
        QCOMPARE(m_window->children().first(), m_skin->Background);
    }

    void idlePanelIsInFrontAfterConstruction()
    {
        QVERIFY(!m_skin->discPanelInFront());
        const QObjectList &stack = m_window->children();
        QVERIFY(stack.indexOf(m_skin->idlePanel) > stack.indexOf(m_skin->discPanel));
    }

    void panelsSwapPlaces()
    {
        m_skin->showDiscPanel();
        QVERIFY(m_skin->discPanelInFront());
        QCOMPARE(m_window->childAt(100, 50), m_skin->trackDisplay);
        m_skin->showIdlePanel();
        QVERIFY(!m_skin->discPanelInFront());
        QCOMPARE(m_window->childAt(100, 50), m_skin->idlePanel);
    }

    void nothingIsShownOutsideTheWindow()
    {
        m_window->show();
        const QRect window(0, 0, 276, 139);
        for (const QWidget *child : m_window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (child->isVisible())
                QVERIFY2(window.contains(child->geometry()), qPrintable(child->objectName()));
        }
    }

    void plainSurfacesAndBoxHaveTheStripColour()
    {
        const QImage digits = m_skin->trackDisplay->image();
        for (int y = 0; y < digits.height(); ++y) {
            for (int x = 0; x < digits.width(); ++x)
                QCOMPARE(digits.pixel(x, y), qRgb(75, 198, 250));
        }
        QVERIFY(m_skin->entryBox->autoFillBackground());
        QCOMPARE(m_skin->entryBox->palette().color(QPalette::Window), QColor(75, 198, 250));
        QCOMPARE(m_skin->discPanel->image().size(), QSize(178, 105));
        QCOMPARE(m_skin->idlePanel->image().size(), QSize(178, 105));
    }

    void entryLabelsAreTransparentPairsThatFit()
    {
        QCOMPARE(textColour(m_skin->entryPlus[0]), QColor(0, 0, 0));
        QCOMPARE(textColour(m_skin->entryPlus[1]), QColor(3, 94, 133));
        QCOMPARE(textColour(m_skin->entryDigits[0]), QColor(0, 0, 0));
        QCOMPARE(textColour(m_skin->entryDigits[1]), QColor(3, 94, 133));
        for (QLabel *label : {m_skin->entryPlus[0], m_skin->entryPlus[1], m_skin->entryDigits[0], m_skin->entryDigits[1]}) {
            QVERIFY(!label->autoFillBackground());
            label->grab();  // the font is fitted when the label first draws its text
            QVERIFY2(QFontMetrics(label->font()).height() <= label->height(), qPrintable(label->objectName()));
        }
        // Black above its shadow.
        const QObjectList &order = m_skin->entryBox->children();
        QVERIFY(order.indexOf(m_skin->entryPlus[0]) > order.indexOf(m_skin->entryPlus[1]));
        QVERIFY(order.indexOf(m_skin->entryDigits[0]) > order.indexOf(m_skin->entryDigits[1]));
    }

    void dragHandleIsTransparentAndReportsPresses()
    {
        QVERIFY(!m_skin->dragHandle->autoFillBackground());
        QSignalSpy pressed(m_skin->dragHandle, &DragHandle::pressed);
        QTest::mousePress(m_skin->dragHandle, Qt::LeftButton, {}, QPoint(8, 50));
        QCOMPARE(pressed.size(), 1);
        QCOMPARE(pressed.first().first().value<Qt::MouseButton>(), Qt::LeftButton);
    }

    void buttonReportsPressAndReleaseOverIt()
    {
        PictureButton *play = m_skin->transportButtons[2];
        QSignalSpy pressed(play, &PictureButton::pressed);
        QSignalSpy released(play, &PictureButton::released);
        QTest::mousePress(play, Qt::RightButton, {}, QPoint(5, 5));
        QTest::mouseRelease(play, Qt::RightButton, {}, QPoint(29, 20));
        QCOMPARE(pressed.size(), 1);
        QCOMPARE(pressed.first().first().value<Qt::MouseButton>(), Qt::RightButton);
        QCOMPARE(released.size(), 1);
        QCOMPARE(released.first().first().value<Qt::MouseButton>(), Qt::RightButton);
    }

    // Every button, to a screen reader: a named push button whose press
    // action is a left click.
    void screenReadersPressNamedButtons()
    {
        for (const Expected &e : kElements) {
            auto *button = m_window->findChild<PictureButton *>(QString::fromLatin1(e.name));
            if (!button)
                continue;
            QAccessibleInterface *face = QAccessible::queryAccessibleInterface(button);
            QCOMPARE(face->role(), QAccessible::Button);
            QCOMPARE(face->text(QAccessible::Name), QString::fromUtf8(e.toolTip));
            QSignalSpy released(button, &PictureButton::released);
            face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            QCOMPARE(released.size(), 1);
            QCOMPARE(released.first().first().value<Qt::MouseButton>(), Qt::LeftButton);
        }
    }

    void buttonIgnoresReleaseAwayFromIt()
    {
        PictureButton *exit = m_skin->exitButton;
        QSignalSpy released(exit, &PictureButton::released);
        QTest::mousePress(exit, Qt::LeftButton, {}, QPoint(8, 8));
        QTest::mouseRelease(exit, Qt::LeftButton, {}, QPoint(16, 8));
        QTest::mousePress(exit, Qt::LeftButton, {}, QPoint(8, 8));
        QTest::mouseRelease(exit, Qt::LeftButton, {}, QPoint(8, -1));
        QCOMPARE(released.size(), 0);
    }

    void designFontNamesResolveToTheJapaneseFont()
    {
        SKIP_UNLESS(QFontDatabase::families().contains(QStringLiteral("IPAGothic")), "the IPAGothic font");
        installFontSubstitutions();
        for (const char *family : {"ＭＳ ゴシック", "MS Gothic"})
            QCOMPARE(QFontInfo(QFont(QString::fromUtf8(family))).family(), QStringLiteral("IPAGothic"));
        QCOMPARE(QFontInfo(japaneseFont(12)).family(), QStringLiteral("IPAGothic"));
        QCOMPARE(QFontInfo(japaneseFont(12)).pixelSize(), 12);
    }
};

QTEST_MAIN(SkinTest)
#include "tst_display_skin.moc"
