// SPDX-License-Identifier: GPL-3.0-or-later
// The main window around the core: loading, activation, minimize and
// restore, exit and close. Real device control on a generated disc, on a
// manual clock with a capturing output.
#include "capture_options.h"
#include "disc_rig.h"
#include "main_window.h"
#include "skin_layout.h"
#include "strip_cells.h"
#include "window_rig.h"

#include <QGuiApplication>
#include <QtTest>

#include <functional>
#include <memory>

namespace {
constexpr int kTick = PlayerCore::kStatusIntervalMs;

// Calls back on the first Show event a MainWindow receives.
class FirstShowWatcher : public QObject {
public:
    explicit FirstShowWatcher(std::function<void(MainWindow &)> onShow) : m_onShow(std::move(onShow))
    {
        qApp->installEventFilter(this);
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto *form = qobject_cast<MainWindow *>(watched)) {
                qApp->removeEventFilter(this);
                m_onShow(*form);
            }
        }
        return false;
    }

private:
    std::function<void(MainWindow &)> m_onShow;
};

bool sameCells(const QImage &a, QRect inA, const QImage &b, QRect inB)
{
    return a.copy(inA).convertToFormat(QImage::Format_RGB32)
        == b.copy(inB).convertToFormat(QImage::Format_RGB32);
}
}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void loadingPreparesEverythingBeforeShowing();
    void discBringsTheDiscPanelWithItsDigits();
    void activationSetsTheKeyboardLamp();
    void minimizedCaptionAndRestore();
    void drawsNothingNobodyCanSee_data();
    void drawsNothingNobodyCanSee();
    void exitStopsBeforeClosing();
    void closeRequestClosesThenUnloads();

private:
    QString m_disc;  // two tracks: 5 s, 6 s
};

void TestMainWindow::initTestCase()
{
    m_disc = writeDisc(QStringLiteral("two"), tracksOfSeconds({5, 6}));
}

void TestMainWindow::loadingPreparesEverythingBeforeShowing()
{
    bool shown = false;
    FirstShowWatcher watcher([&shown](MainWindow &form) {
        shown = true;
        PlayerCore &core = form.core();
        QVERIFY2(!form.skin().discPanelInFront(), "the idle panel is in front from the start");
        QCOMPARE(form.size(), MainWindowSize);
        QCOMPARE(form.minimumSize(), form.maximumSize());
        const PlayerState &st = core.state;
        QCOMPARE(QList<int>({st.appActive, st.deviceOpened, st.repeatTrack, st.playMode, st.programIndex, st.programReserved, st.stoppedByUser,
                             st.playWanted, st.discFrame, st.pausedByUser, st.muted, st.programDirection}),
                 QList<int>({1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
        for (QLabel *label : {form.skin().entryPlus[0], form.skin().entryPlus[1], form.skin().entryDigits[0],
                              form.skin().entryDigits[1]})
            QCOMPARE(label->text(), QString());
        // The indicators were drawn once, lamp lit, under the idle panel.
        QVERIFY(sameCells(form.skin().discPanel->image(),
                          QRect(DiscPanelArea::KeyboardLamp, IconStripCells::Keyboard.size()),
                          form.skin().iconStrip, IconStripCells::Keyboard));
        QCOMPARE(core.openTimer.interval(), 0);
        QCOMPARE(core.device.updateInterval(), 0);
    });
    WindowRig rig(m_disc);
    QVERIFY(shown);
    // Shown, then the open timer is armed; nothing has reached the device.
    QVERIFY(rig.form->isVisible());
    QVERIFY(rig.form->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(rig.form->windowTitle(), QStringLiteral("VELOR CD Player"));
    QCOMPARE(rig.core().openTimer.interval(), PlayerCore::kOpenRetryMs);
    QVERIFY(rig.commands.isEmpty());
}

void TestMainWindow::discBringsTheDiscPanelWithItsDigits()
{
    WindowRig rig(m_disc);
    rig.openWithDisc();
    QCOMPARE(rig.commands, QStringList{"open"});
    QVERIFY(rig.skin().discPanelInFront());
    // Row 1 starts with track 01.
    const QImage &dspt = rig.skin().trackDisplay->image();
    const QImage &strip = rig.skin().digitStrip;
    QVERIFY(sameCells(dspt, QRect(0, 0, 11, 15), strip, DigitStripCells::digit(0)));
    QVERIFY(sameCells(dspt, QRect(11, 0, 11, 15), strip, DigitStripCells::digit(1)));
}

void TestMainWindow::activationSetsTheKeyboardLamp()
{
    WindowRig rig(m_disc);
    bool &appActive = rig.core().state.appActive;
    emit qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    QCOMPARE(appActive, false);
    emit qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    QCOMPARE(appActive, true);
    emit qGuiApp->applicationStateChanged(Qt::ApplicationHidden);
    QCOMPARE(appActive, false);
}

void TestMainWindow::drawsNothingNobodyCanSee_data()
{
    QTest::addColumn<bool>("minimize");
    QTest::newRow("minimized") << true;
    QTest::newRow("covered") << false;
}

// While playing, hidden for two seconds: neither surface is drawn on; seen
// again, both are brought up to date at once, as a fresh status update
// would draw them.
void TestMainWindow::drawsNothingNobodyCanSee()
{
    QFETCH(bool, minimize);
    WindowRig rig(m_disc);
    MainWindow &form = *rig.form;
    rig.openWithDisc();
    form.transport().play();
    rig.update();
    const auto hide = [&](bool hidden) {
        if (minimize)
            hidden ? form.showMinimized() : form.showNormal();
        else
            form.visibility().setCovered(hidden);
        QCoreApplication::processEvents();
    };
    hide(true);
    QVERIFY(!form.visibility().canBeSeen());
    const quint64 digits = rig.skin().trackDisplay->revision();
    const quint64 indicators = rig.skin().discPanel->revision();
    for (int i = 0; i < 10; ++i)
        rig.update();
    QCOMPARE(rig.skin().trackDisplay->revision(), digits);
    QCOMPARE(rig.skin().discPanel->revision(), indicators);

    hide(false);
    QVERIFY(form.visibility().canBeSeen());
    QVERIFY(rig.skin().trackDisplay->revision() != digits);
    QVERIFY(rig.skin().discPanel->revision() != indicators);
    const QImage shown = rig.skin().trackDisplay->image();
    form.drawDigits();
    QCOMPARE(rig.skin().trackDisplay->image(), shown);
}

void TestMainWindow::minimizedCaptionAndRestore()
{
    WindowRig rig(m_disc);
    MainWindow &form = *rig.form;
    rig.openWithDisc();
    QCOMPARE(form.windowTitle(), QStringLiteral("VELOR CD Player"));

    // Any button minimizes, on release.
    QTest::mouseClick(rig.skin().minimizeButton, Qt::RightButton);
    QVERIFY(form.isMinimized());
    rig.update();
    QCOMPARE(form.windowTitle(), QStringLiteral("[01]  00:00  通常再生"));

    form.showNormal();
    QCOMPARE(form.windowTitle(), QStringLiteral("VELOR CD Player"));
    rig.update();
    QCOMPARE(form.windowTitle(), QStringLiteral("VELOR CD Player"));
}

void TestMainWindow::exitStopsBeforeClosing()
{
    WindowRig rig(m_disc);
    rig.openWithDisc();
    rig.core().command(QStringLiteral("play"));
    rig.update();
    rig.update();
    QVERIFY(rig.capture.frames() > 0);

    rig.commands.clear();
    QTest::mouseClick(rig.skin().exitButton, Qt::LeftButton);
    // Exit, then the close request and the unload that closing runs.
    QCOMPARE(rig.commands, QStringList({"stop", "close", "close", "stop", "close"}));
    QVERIFY(!rig.form->isVisible());

    const qint64 heard = rig.capture.frames();
    rig.clock.advance(2000);
    QCOMPARE(rig.capture.frames(), heard);
}

// The window system's close request: "close" comes before "stop".
void TestMainWindow::closeRequestClosesThenUnloads()
{
    WindowRig rig(m_disc);
    rig.openWithDisc();
    rig.core().command(QStringLiteral("play"));
    rig.update();
    rig.commands.clear();

    QVERIFY(rig.form->close());
    QCOMPARE(rig.commands, QStringList({"close", "stop", "close"}));
    const qint64 heard = rig.capture.frames();
    rig.clock.advance(2000);
    QCOMPARE(rig.capture.frames(), heard);
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
