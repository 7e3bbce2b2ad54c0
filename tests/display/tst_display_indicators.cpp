#include "indicator_display.h"
#include "main_skin.h"
#include "pixel_compose.h"

#include <QtTest>

#include <vector>

namespace {

constexpr qint32 kPlaying = 526;
constexpr qint32 kStopped = 525;
constexpr qint32 kPaused = 529;

// Source cells and their places on the disc panel.
const QRect kModeBand[] = {{0, 0, 129, 11}, {0, 12, 129, 11}, {0, 24, 129, 11}, {0, 36, 129, 11}, {0, 48, 129, 11}};
const QPoint kModeAt(8, 67);
const QRect kKeyboard(0, 50, 27, 12), kKeyboardOff(29, 50, 27, 12);
const QPoint kKeyboardAt(110, 84);
const QRect kDisc[] = {{0, 0, 16, 16}, {16, 0, 16, 16}, {32, 0, 16, 16}};
const QPoint kDiscAt(8, 82);
const QRect kPlay(0, 17, 16, 16), kStop(17, 17, 16, 16), kPause(34, 17, 16, 16);
const QRect kSpeaker(0, 33, 23, 16), kSpeakerMuted(25, 33, 23, 16);

// The device's answers, one per read, the last one repeated.
class ModeScript {
public:
    explicit ModeScript(std::vector<qint32> answers) : m_answers(std::move(answers)) {}
    ModeReader reader()
    {
        return [this] {
            const qint32 mode = m_answers[std::min(m_reads, int(m_answers.size()) - 1)];
            ++m_reads;
            return mode;
        };
    }
    int reads() const { return m_reads; }

private:
    std::vector<qint32> m_answers;
    int m_reads = 0;
};

PlayerState playing()
{
    PlayerState s;
    s.B = 0;
    s.KeyBrd = 1;
    s.Ply = 1;
    s.Mute = 0;
    s.AnmFr = 1;
    return s;
}

}  // namespace

class IndicatorsTest : public QObject {
    Q_OBJECT

private:
    QWidget *m_window = nullptr;
    MainSkin *m_skin = nullptr;
    QImage m_panel;

    Blit parts(QRect source, QPoint dest) const { return Blit{&m_skin->PicParts1, source, dest}; }
    Blit band(int index) const { return Blit{&m_skin->PicPM, kModeBand[index], kModeAt}; }

    // The panel as it must look after drawing with state s, and how many
    // times the mode had to be read.
    void check(PlayerState &s, ModeScript &modes, const std::vector<Blit> &blits, int reads)
    {
        DrawIndicators(m_skin->PicD, m_skin->PicParts1, m_skin->PicPM, s, modes.reader());
        COMPARE_IMAGES(m_skin->PicD->image(), compose(m_panel, blits));
        QCOMPARE(modes.reads(), reads);
    }

private slots:
    void init()
    {
        m_window = new QWidget;
        m_window->resize(276, 139);
        m_skin = new MainSkin(m_window);
        m_panel = QImage(QStringLiteral(":/skin/panel_disc.png")).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!m_panel.isNull());
        // Something stale on the panel, which every redraw must clear.
        m_skin->PicD->Copy(m_skin->PicParts1, kPlay, QPoint(140, 80));
    }

    void cleanup()
    {
        delete m_skin;
        delete m_window;
    }

    void playing_showsEveryIndicatorAndTurnsTheDisc()
    {
        PlayerState s = playing();
        ModeScript modes({kPlaying});
        check(s, modes,
              {band(0), parts(kKeyboard, kKeyboardAt), parts(kDisc[0], kDiscAt), parts(kPlay, QPoint(29, 84)),
               parts(kSpeaker, QPoint(48, 84))},
              2);
        QCOMPARE(s.AnmFr, qint16(2));
    }

    void paused_showsPauseOneFurtherRightAndNoDisc()
    {
        PlayerState s = playing();
        s.Ply = 0;
        s.Pose = 1;
        ModeScript modes({kPaused});
        check(s, modes, {band(0), parts(kKeyboard, kKeyboardAt), parts(kPause, QPoint(30, 84)),
                         parts(kSpeaker, QPoint(48, 84))},
              2);
        QCOMPARE(s.AnmFr, qint16(1));
    }

    void stoppedByStop_showsStopIconAndStillDisc()
    {
        PlayerState s = playing();
        s.Ply = 0;
        s.Stp = 1;
        s.AnmFr = 3;
        ModeScript modes({kStopped});
        check(s, modes, {band(0), parts(kKeyboard, kKeyboardAt), parts(kStop, QPoint(29, 84)),
                         parts(kSpeaker, QPoint(48, 84))},
              3);
        DrawStillDisc(m_skin->PicD, m_skin->PicParts1, s);
        COMPARE_IMAGES(m_skin->PicD->image(),
                       compose(m_panel, {band(0), parts(kKeyboard, kKeyboardAt), parts(kStop, QPoint(29, 84)),
                                         parts(kSpeaker, QPoint(48, 84)), parts(kDisc[2], kDiscAt)}));
        QCOMPARE(s.AnmFr, qint16(3));
    }

    void stoppedWithoutStop_showsStillDiscButNoIcon()
    {
        PlayerState s = playing();
        s.Ply = 0;
        s.AnmFr = 2;
        ModeScript modes({kStopped});
        check(s, modes, {band(0), parts(kKeyboard, kKeyboardAt), parts(kSpeaker, QPoint(48, 84))}, 3);
        DrawStillDisc(m_skin->PicD, m_skin->PicParts1, s);
        COMPARE_IMAGES(m_skin->PicD->image(),
                       compose(m_panel, {band(0), parts(kKeyboard, kKeyboardAt), parts(kSpeaker, QPoint(48, 84)),
                                         parts(kDisc[1], kDiscAt)}));
    }

    void playingWithoutPlayWanted_turnsTheDiscWithoutIcon()
    {
        PlayerState s = playing();
        s.Ply = 0;
        s.AnmFr = 2;
        ModeScript modes({kPlaying});
        check(s, modes, {band(0), parts(kKeyboard, kKeyboardAt), parts(kDisc[1], kDiscAt),
                         parts(kSpeaker, QPoint(48, 84))},
              2);
        QCOMPARE(s.AnmFr, qint16(3));
    }

    void muted_speakerSitsTwoPixelsFurtherRight()
    {
        PlayerState s = playing();
        s.Mute = 1;
        ModeScript modes({kPlaying});
        check(s, modes, {band(0), parts(kKeyboard, kKeyboardAt), parts(kDisc[0], kDiscAt),
                         parts(kPlay, QPoint(29, 84)), parts(kSpeakerMuted, QPoint(50, 84))},
              2);
    }

    void inactive_lampShowsTheBlankCell()
    {
        PlayerState s = playing();
        s.KeyBrd = 0;
        ModeScript modes({kPlaying});
        check(s, modes, {band(0), parts(kKeyboardOff, kKeyboardAt), parts(kDisc[0], kDiscAt),
                         parts(kPlay, QPoint(29, 84)), parts(kSpeaker, QPoint(48, 84))},
              2);
    }

    void eachModeShowsItsBand_data()
    {
        QTest::addColumn<int>("B");
        QTest::addColumn<int>("band");
        QTest::newRow("normal") << 0 << 0;
        QTest::newRow("track repeat") << 1 << 1;
        QTest::newRow("disc repeat") << 2 << 2;
        QTest::newRow("program") << 4 << 3;
        QTest::newRow("program repeat") << 5 << 4;
        QTest::newRow("unused 3") << 3 << -1;
    }

    void eachModeShowsItsBand()
    {
        QFETCH(int, B);
        QFETCH(int, band);
        PlayerState s = playing();
        s.B = qint16(B);
        s.KeyBrd = 2;  // neither lamp cell: only the band is drawn
        s.Mute = 2;
        ModeScript modes({kStopped});
        std::vector<Blit> blits;
        if (band >= 0)
            blits.push_back(this->band(band));
        check(s, modes, blits, 3);
    }

    void modeIsReadAfreshForEachTest()
    {
        // Playing when the disc is drawn, stopped by the time of the icon.
        PlayerState s = playing();
        s.Ply = 0;
        s.Stp = 1;
        ModeScript modes({kPlaying, kStopped, kStopped});
        check(s, modes, {band(0), parts(kKeyboard, kKeyboardAt), parts(kDisc[0], kDiscAt),
                         parts(kStop, QPoint(29, 84)), parts(kSpeaker, QPoint(48, 84))},
              3);
    }

    void discTurnsOnePhasePerDrawing()
    {
        PlayerState s = playing();
        const int phases[] = {0, 1, 2, 0, 1};
        for (const int phase : phases) {
            QCOMPARE(s.AnmFr, qint16(phase + 1));
            ModeScript modes({kPlaying});
            check(s, modes, {band(0), parts(kKeyboard, kKeyboardAt), parts(kDisc[phase], kDiscAt),
                             parts(kPlay, QPoint(29, 84)), parts(kSpeaker, QPoint(48, 84))},
                  2);
        }
    }

    void discPhaseOutOfRangeDrawsNothing()
    {
        PlayerState s = playing();
        s.AnmFr = 0;
        ModeScript modes({kPlaying});
        check(s, modes, {band(0), parts(kKeyboard, kKeyboardAt), parts(kPlay, QPoint(29, 84)),
                         parts(kSpeaker, QPoint(48, 84))},
              2);
        QCOMPARE(s.AnmFr, qint16(0));

        s.AnmFr = 4;
        const QImage before = m_skin->PicD->image();
        DrawStillDisc(m_skin->PicD, m_skin->PicParts1, s);
        COMPARE_IMAGES(m_skin->PicD->image(), before);
    }
};

QTEST_MAIN(IndicatorsTest)
#include "tst_display_indicators.moc"
