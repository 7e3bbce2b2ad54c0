// SPDX-License-Identifier: GPL-3.0-or-later
#include "indicator_display.h"
#include "main_skin.h"
#include "pixel_compose.h"
#include "skin_fixture.h"

#include <QtTest>

#include <vector>

namespace {

constexpr int kPlaying = 526;
constexpr int kStopped = 525;
constexpr int kPaused = 529;

// Every copy the indicators can make: strip, source cell, place on discPanel.
enum Cell {
    Band0, Band1, Band2, Band4, Band5,
    Lamp, LampOff,
    Disc1, Disc2, Disc3,
    PlayIcon, PauseIcon, StopIcon,
    Speaker, SpeakerMuted,
};
enum Strip { Parts, Modes };
struct CellCopy {
    Strip strip;
    QRect source;
    QPoint dest;
};
const CellCopy kCells[] = {
    {Modes, {0, 0, 129, 11}, {8, 67}},   {Modes, {0, 12, 129, 11}, {8, 67}}, {Modes, {0, 24, 129, 11}, {8, 67}},
    {Modes, {0, 36, 129, 11}, {8, 67}},  {Modes, {0, 48, 129, 11}, {8, 67}},
    {Parts, {0, 50, 27, 12}, {110, 84}}, {Parts, {29, 50, 27, 12}, {110, 84}},
    {Parts, {0, 0, 16, 16}, {8, 82}},    {Parts, {16, 0, 16, 16}, {8, 82}},  {Parts, {32, 0, 16, 16}, {8, 82}},
    {Parts, {0, 17, 16, 16}, {29, 84}},  {Parts, {34, 17, 16, 16}, {30, 84}}, {Parts, {17, 17, 16, 16}, {29, 84}},
    {Parts, {0, 33, 23, 16}, {48, 84}},  {Parts, {25, 33, 23, 16}, {50, 84}},
};

// The device's answers, one per read, the last one repeated.
class ModeScript {
public:
    explicit ModeScript(QList<int> answers) : m_answers(std::move(answers)) {}
    ModeReader reader()
    {
        return [this] { return qint32(m_answers.at(std::min(m_reads++, int(m_answers.size()) - 1))); };
    }
    int reads() const { return m_reads; }

private:
    QList<int> m_answers;
    int m_reads = 0;
};

// Playing in normal mode, sound on, window active, disc in phase 1.
struct State {
    int playMode = 0, appActive = 1, playWanted = 1, pausedByUser = 0, stoppedByUser = 0, muted = 0, discFrame = 1;

    PlayerState player() const
    {
        PlayerState s;
        s.playMode = qint16(playMode), s.appActive = appActive != 0, s.playWanted = playWanted != 0, s.pausedByUser = pausedByUser != 0;
        s.stoppedByUser = stoppedByUser != 0, s.muted = muted != 0, s.discFrame = qint16(discFrame);
        return s;
    }
};

// The areas a widget is asked to paint.
class PaintCollector : public QObject {
public:
    explicit PaintCollector(QWidget *widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            region |= static_cast<QPaintEvent *>(event)->region();
        return false;
    }
    QRegion region;
};

}  // namespace

Q_DECLARE_METATYPE(State)

class IndicatorsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SkinnedWindow> m_fixture;
    MainSkin *m_skin = nullptr;
    QImage m_panel;

    QImage expected(const QList<int> &cells) const
    {
        std::vector<Blit> blits;
        for (const int cell : cells) {
            const CellCopy &copy = kCells[cell];
            blits.push_back({copy.strip == Parts ? &m_skin->iconStrip : &m_skin->modeStrip, copy.source, copy.dest});
        }
        return compose(m_panel, blits);
    }

    static void row(const char *name, State state, QList<int> modes, QList<int> cells, int reads, int phaseAfter,
                    QList<int> stillCells = {})
    {
        QTest::newRow(name) << state << modes << cells << reads << phaseAfter << stillCells;
    }

private slots:
    void init()
    {
        m_fixture = std::make_unique<SkinnedWindow>();
        m_skin = &m_fixture->skin;
        m_panel = QImage(QStringLiteral(":/skin/panel_disc.png")).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!m_panel.isNull());
        // Something stale on the panel, which every redraw must clear.
        m_skin->discPanel->Copy(m_skin->iconStrip, kCells[PlayIcon].source, QPoint(140, 80));
    }

    void cleanup() { m_fixture.reset(); }

    void drawsTheIndicatorsOfTheState_data()
    {
        QTest::addColumn<State>("state");
        QTest::addColumn<QList<int>>("modes");
        QTest::addColumn<QList<int>>("cells");
        QTest::addColumn<int>("reads");
        QTest::addColumn<int>("phaseAfter");
        // Cells after the still disc is drawn too; empty: not drawn.
        QTest::addColumn<QList<int>>("stillCells");

        row("playing", {}, {kPlaying}, {Band0, Lamp, Disc1, PlayIcon, Speaker}, 2, 2);
        row("paused", {0, 1, 0, 1, 0, 0, 1}, {kPaused}, {Band0, Lamp, PauseIcon, Speaker}, 2, 1);
        row("stopped by stop", {0, 1, 0, 0, 1, 0, 3}, {kStopped}, {Band0, Lamp, StopIcon, Speaker}, 3, 3,
            {Band0, Lamp, StopIcon, Speaker, Disc3});
        row("stopped without stop", {0, 1, 0, 0, 0, 0, 2}, {kStopped}, {Band0, Lamp, Speaker}, 3, 2,
            {Band0, Lamp, Speaker, Disc2});
        row("playing, play not wanted", {0, 1, 0, 0, 0, 0, 2}, {kPlaying}, {Band0, Lamp, Disc2, Speaker}, 2, 3);
        row("playing, phase 3 wraps", {0, 1, 1, 0, 0, 0, 3}, {kPlaying}, {Band0, Lamp, Disc3, PlayIcon, Speaker}, 2, 1);
        row("muted", {0, 1, 1, 0, 0, 1, 1}, {kPlaying}, {Band0, Lamp, Disc1, PlayIcon, SpeakerMuted}, 2, 2);
        row("inactive", {0, 0, 1, 0, 0, 0, 1}, {kPlaying}, {Band0, LampOff, Disc1, PlayIcon, Speaker}, 2, 2);
        // A mode that changes between the reads: each test reads afresh.
        row("stops while drawn", {0, 1, 0, 0, 1, 0, 1}, {kPlaying, kStopped}, {Band0, Lamp, Disc1, StopIcon, Speaker},
            3, 2);
        row("phase out of range", {0, 1, 1, 0, 0, 0, 0}, {kPlaying}, {Band0, Lamp, PlayIcon, Speaker}, 2, 0);
        row("still disc out of range", {0, 1, 0, 0, 0, 0, 4}, {kStopped}, {Band0, Lamp, Speaker}, 3, 4,
            {Band0, Lamp, Speaker});
        row("track repeat", {1, 1, 0, 0, 0, 0, 1}, {kStopped}, {Band1, Lamp, Speaker}, 3, 1);
        row("disc repeat", {2, 1, 0, 0, 0, 0, 1}, {kStopped}, {Band2, Lamp, Speaker}, 3, 1);
        row("program", {4, 1, 0, 0, 0, 0, 1}, {kStopped}, {Band4, Lamp, Speaker}, 3, 1);
        row("program repeat", {5, 1, 0, 0, 0, 0, 1}, {kStopped}, {Band5, Lamp, Speaker}, 3, 1);
        row("no mode 3", {3, 1, 0, 0, 0, 0, 1}, {kStopped}, {Lamp, Speaker}, 3, 1);
    }

    void drawsTheIndicatorsOfTheState()
    {
        QFETCH(State, state);
        QFETCH(QList<int>, modes);
        QFETCH(QList<int>, cells);
        QFETCH(int, reads);
        QFETCH(int, phaseAfter);
        QFETCH(QList<int>, stillCells);

        PlayerState s = state.player();
        ModeScript script(modes);
        drawIndicators(m_skin->discPanel, m_skin->iconStrip, m_skin->modeStrip, s, script.reader());
        COMPARE_IMAGES(m_skin->discPanel->image(), expected(cells));
        QCOMPARE(script.reads(), reads);
        QCOMPARE(s.discFrame, qint16(phaseAfter));

        if (!stillCells.isEmpty()) {
            drawStillDisc(m_skin->discPanel, m_skin->iconStrip, s);
            COMPARE_IMAGES(m_skin->discPanel->image(), expected(stillCells));
            QCOMPARE(s.discFrame, qint16(phaseAfter));
        }
    }

    void discTurnsOnePhasePerDrawing()
    {
        PlayerState s = State().player();
        for (const int phase : {Disc1, Disc2, Disc3, Disc1, Disc2}) {
            ModeScript script({kPlaying});
            drawIndicators(m_skin->discPanel, m_skin->iconStrip, m_skin->modeStrip, s, script.reader());
            COMPARE_IMAGES(m_skin->discPanel->image(), expected({Band0, Lamp, phase, PlayIcon, Speaker}));
        }
        QCOMPARE(s.discFrame, qint16(3));
    }

    // On screen a redraw repaints every pixel that changed, the cleared
    // ones included, and nothing that stayed the same.
    void repaintsWhatChangedOnly()
    {
        PaintCollector painted(m_skin->discPanel);
        m_skin->showDiscPanel();
        m_fixture->window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_fixture->window));
        State stopped;
        stopped.playWanted = false;
        stopped.stoppedByUser = true;
        PlayerState s = stopped.player();
        // Stopped, then playing (the stop icon goes), then the disc turns.
        for (const int mode : {kStopped, kPlaying, kPlaying}) {
            const QImage before = m_skin->discPanel->image();
            painted.region = QRegion();
            ModeScript script({mode});
            drawIndicators(m_skin->discPanel, m_skin->iconStrip, m_skin->modeStrip, s, script.reader());
            for (int i = 0; i < 3; ++i)
                QCoreApplication::processEvents();
            if (mode == kStopped)
                continue;
            const QImage after = m_skin->discPanel->image();
            for (int y = 0; y < after.height(); ++y)
                for (int x = 0; x < after.width(); ++x)
                    QVERIFY(before.pixel(x, y) == after.pixel(x, y) || painted.region.contains(QPoint(x, y)));
            QVERIFY(!painted.region.isEmpty());
            QVERIFY(!painted.region.intersects(QRect(kCells[Band0].dest, kCells[Band0].source.size())));
        }
    }
};

QTEST_MAIN(IndicatorsTest)
#include "tst_display_indicators.moc"
