// The bar's show and hide animation and its hide check, ticked by hand.
#include "BarAnimation.h"
#include "BarFixture.h"
#include "Tacctfrm.h"

#include <QtTest>

#include <vector>

namespace {
struct Frame {
    int blend;
    int top;
};

// After each show tick from parked: blend value and Top.
const std::vector<Frame> showFrames{
    {0, -90},   {1, -86},   {3, -82},   {6, -78},   {10, -74},  {15, -70},  {21, -66},  {28, -62},
    {36, -58},  {45, -54},  {55, -50},  {66, -46},  {78, -42},  {91, -38},  {105, -34}, {120, -30},
    {136, -26}, {153, -22}, {171, -18}, {190, -14}, {210, -10}, {255, 0}};

// After each hide tick from shown.
const std::vector<Frame> hideFrames{
    {255, -4},  {254, -8},  {252, -12}, {249, -16}, {245, -20}, {240, -24}, {234, -28}, {227, -32},
    {219, -36}, {210, -40}, {200, -44}, {189, -48}, {177, -52}, {164, -56}, {150, -60}, {135, -64},
    {119, -68}, {102, -72}, {84, -76},  {65, -80},  {45, -84},  {24, -88},  {0, -94}};
}

class TestBarAnimation : public QObject {
    Q_OBJECT

    // Ticks the running animation's timer by hand and records every frame.
    static std::vector<Frame> run(TForm1 &bar, QTimer &timer, void (TForm1::*tick)(), int limit = 100)
    {
        std::vector<Frame> frames;
        while (timer.isActive() && int(frames.size()) < limit) {
            (bar.*tick)();
            frames.push_back({bar.BlendValue(), bar.Top()});
        }
        return frames;
    }

    static void compareFrames(const std::vector<Frame> &got, const std::vector<Frame> &expected)
    {
        QCOMPARE(got.size(), expected.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            const QByteArray where = "tick " + QByteArray::number(int(i) + 1);
            QVERIFY2(got[i].blend == expected[i].blend && got[i].top == expected[i].top,
                     where + ": blend " + QByteArray::number(got[i].blend) + ", Top "
                         + QByteArray::number(got[i].top));
        }
    }

private slots:
    void init() { acctfrm = nullptr; }

    void tickArithmeticWrapsInEightBits_data()
    {
        QTest::addColumn<bool>("glow");
        QTest::addColumn<int>("blend");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("expectedBlend");
        QTest::addColumn<int>("expectedTop");
        QTest::addColumn<bool>("finished");
        // Only the step's low 8 bits are added or taken away.
        QTest::newRow("show adds the low byte") << true << 10 << 256 + 3 << 13 << 4 * 260 - 94 << false;
        QTest::newRow("show wraps past 255") << true << 250 << 10 << 4 << -50 << false;
        QTest::newRow("show ends above 220") << true << 200 << 21 << 255 << 0 << true;
        QTest::newRow("220 is not above 220") << true << 200 << 20 << 220 << -10 << false;
        QTest::newRow("hide wraps below 0") << false << 5 << 30 << 231 << -124 << false;
        QTest::newRow("hide ends below 20") << false << 30 << 11 << 0 << HiddenTop << true;
        QTest::newRow("20 is not below 20") << false << 30 << 10 << 20 << -44 << false;
    }

    void tickArithmeticWrapsInEightBits()
    {
        QFETCH(bool, glow);
        QFETCH(int, blend);
        QFETCH(int, step);
        std::int32_t counter = step;
        const BarAnimation::Tick tick = glow ? BarAnimation::GlowTick(std::uint8_t(blend), counter)
                                             : BarAnimation::FadeTick(std::uint8_t(blend), counter);
        QTEST(int(tick.blendValue), "expectedBlend");
        QTEST(tick.top, "expectedTop");
        QTEST(tick.finished, "finished");
        QCOMPARE(counter, step + 1);
    }

    void showsFromParkedInTwentyTwoTicks()
    {
        BarFixture f;
        f.parked();
        f.browser().Complete(QStringLiteral("home"));
        ::StrokeCount = 12;
        f.bar->StartGlow();
        QCOMPARE(::StrokeCount, 0);
        QVERIFY(f.bar->Glow.isActive());
        QVERIFY(f.bar->HideTimer.isActive());
        QCOMPARE(f.bar->HideTimer.interval(), 10000);
        QVERIFY(!f.bar->Fade.isActive());

        std::vector<int> repaintsAfter;
        std::vector<Frame> frames;
        while (f.bar->Glow.isActive() && frames.size() < 100) {
            f.bar->GlowTimer();
            frames.push_back({f.bar->BlendValue(), f.bar->Top()});
            repaintsAfter.push_back(f.browser().repaints);
        }
        compareFrames(frames, showFrames);
        // The page is repainted once, when the bar has arrived.
        QCOMPARE(repaintsAfter[20], 0);
        QCOMPARE(repaintsAfter[21], 1);
        QCOMPARE(::GlowStep, 22);
        QVERIFY(f.bar->HideTimer.isActive());
    }

    void showWithoutADocumentPaintsNothing()
    {
        BarFixture f;
        f.parked();
        f.bar->StartGlow();
        run(*f.bar, f.bar->Glow, &TForm1::GlowTimer);
        QCOMPARE(f.browser().repaints, 0);
        QCOMPARE(f.bar->Top(), 0);
    }

    void hideButtonSlidesUpFromWhereTheBarStands()
    {
        BarFixture f;
        f.shown();
        f.browser().Complete(QStringLiteral("home"));
        ::StrokeCount = 7;
        f.bar->SpeedButton2Click();
        QVERIFY(f.bar->Fade.isActive());
        QVERIFY(!f.bar->HideTimer.isActive());
        // The Hide button neither counts as a hide check nor moves the bar at once.
        QCOMPARE(f.bar->Top(), 0);
        QCOMPARE(::StrokeCount, 7);
        compareFrames(run(*f.bar, f.bar->Fade, &TForm1::FadeTimer), hideFrames);
        QCOMPARE(f.bar->HideTimer.interval(), 10000);
        QVERIFY(!f.bar->HideTimer.isActive());
        QCOMPARE(f.browser().repaints, 0);
    }

    void automaticHideVanishesAtOnceAndShortensTheCheck()
    {
        BarFixture f;
        f.shown();
        ::StrokeCount = 7;
        f.bar->HideTimerTimer();
        QCOMPARE(::StrokeCount, 0);
        QCOMPARE(f.bar->Top(), HiddenTop);
        QCOMPARE(int(f.bar->BlendValue()), 255);
        QVERIFY(f.bar->Fade.isActive());
        QVERIFY(!f.bar->HideTimer.isActive());
        QCOMPARE(f.bar->HideTimer.interval(), 5000);
        compareFrames(run(*f.bar, f.bar->Fade, &TForm1::FadeTimer), hideFrames);

        // Every later show keeps the shorter check.
        f.bar->StartGlow();
        run(*f.bar, f.bar->Glow, &TForm1::GlowTimer);
        QVERIFY(f.bar->HideTimer.isActive());
        QCOMPARE(f.bar->HideTimer.interval(), 5000);
    }

    void hideCheckBounds_data()
    {
        QTest::addColumn<int>("barTop");
        QTest::addColumn<QPoint>("offset"); // from the bar's Left, 0
        QTest::addColumn<bool>("stays");
        // The default bar: 810 x 62 at Left 235.
        QTest::newRow("left edge") << 0 << QPoint(0, 10) << true;
        QTest::newRow("column left of the bar") << 0 << QPoint(-1, 10) << false;
        QTest::newRow("column right of the bar") << 0 << QPoint(810, 10) << true;
        QTest::newRow("two right of the bar") << 0 << QPoint(811, 10) << false;
        QTest::newRow("row below the bar") << 0 << QPoint(400, 62) << true;
        QTest::newRow("two below the bar") << 0 << QPoint(400, 63) << false;
        QTest::newRow("above the screen") << 0 << QPoint(400, -3000) << true;
        // Height, not Top + Height: the test describes the bar as shown.
        QTest::newRow("while coming down, under its bottom") << -50 << QPoint(400, 62) << true;
        QTest::newRow("while coming down, far under it") << -50 << QPoint(400, 63) << false;
    }

    void hideCheckBounds()
    {
        QFETCH(int, barTop);
        QFETCH(QPoint, offset);
        QFETCH(bool, stays);
        BarFixture f;
        f.shown();
        f.bar->SetTop(barTop);
        QCOMPARE(f.bar->geometry(), QRect(235, barTop, 810, 62));
        f.fakes.screen.cursor = QPoint(235, 0) + offset;
        f.bar->HideTimerTimer();
        QCOMPARE(!f.bar->Fade.isActive(), stays);
        QCOMPARE(f.bar->HideTimer.isActive(), stays);
        QCOMPARE(f.bar->HideTimer.interval(), stays ? 10000 : 5000);
        QCOMPARE(f.bar->Top(), stays ? barTop : HiddenTop);
    }

    void anAccountWindowKeepsTheBarUntilHideIsClicked()
    {
        BarFixture f;
        f.shown();
        Tacctfrm account(*f.bar, f.fakes.desktop());
        acctfrm = &account;
        f.bar->HideTimerTimer();
        const bool keptByCheck = f.bar->HideTimer.isActive() && !f.bar->Fade.isActive()
                                 && f.bar->Top() == 0 && f.bar->HideTimer.interval() == 10000;
        f.bar->SpeedButton2Click();
        run(*f.bar, f.bar->Fade, &TForm1::FadeTimer);
        acctfrm = nullptr;
        QVERIFY(keptByCheck);
        QCOMPARE(f.bar->Top(), HiddenTop);
        QCOMPARE(int(f.bar->BlendValue()), 0);
    }

    void applyWhileShownIsOneTick()
    {
        BarFixture f;
        f.shown();
        const int hideCheck = f.bar->HideTimer.timerId();
        f.bar->StartGlow();
        // The running hide check keeps its count: the timer was not restarted.
        QCOMPARE(f.bar->HideTimer.timerId(), hideCheck);
        compareFrames(run(*f.bar, f.bar->Glow, &TForm1::GlowTimer), {{255, 0}});
    }

    void startingARunningAnimationLeavesItsTimerAlone()
    {
        BarFixture f;
        f.parked();
        f.bar->StartGlow();
        f.bar->GlowTimer();
        const int glow = f.bar->Glow.timerId();
        f.bar->StartGlow();
        QCOMPARE(f.bar->Glow.timerId(), glow);
        f.bar->StartFade();
        const int fade = f.bar->Fade.timerId();
        f.bar->StartFade();
        QCOMPARE(f.bar->Fade.timerId(), fade);
        QVERIFY(f.bar->Glow.isActive());
    }

    void hideDuringAShowEndsShownWithoutAHideCheck()
    {
        BarFixture f;
        f.parked();
        f.bar->StartGlow();
        f.bar->GlowTimer();
        f.bar->SpeedButton2Click();
        QVERIFY(f.bar->Glow.isActive() && f.bar->Fade.isActive());
        // The blend value is still 0: the first hide tick ends the hide.
        f.bar->FadeTimer();
        QVERIFY(!f.bar->Fade.isActive());
        QCOMPARE(int(f.bar->BlendValue()), 0);
        QCOMPARE(f.bar->Top(), HiddenTop);
        // The show goes on from its own step and ends shown.
        const std::vector<Frame> rest(showFrames.begin() + 1, showFrames.end());
        compareFrames(run(*f.bar, f.bar->Glow, &TForm1::GlowTimer), rest);
        QVERIFY(!f.bar->HideTimer.isActive());
    }

    void aTallBarKeepsItsLowerPartOnTheScreen()
    {
        BarFixture f;
        f.bar->SetHeight(150);
        f.shown();
        f.fakes.screen.cursor = QPoint(235 + 400, 150);
        f.bar->HideTimerTimer();
        QVERIFY(f.bar->HideTimer.isActive());
        f.fakes.screen.cursor = QPoint(235 + 400, 151);
        f.bar->HideTimerTimer();
        run(*f.bar, f.bar->Fade, &TForm1::FadeTimer);
        // Parked at the same Top as any bar: its lower 56 px stay, transparent.
        QCOMPARE(f.bar->geometry(), QRect(235, HiddenTop, 810, 150));
        QCOMPARE(int(f.bar->BlendValue()), 0);
        f.bar->StartGlow();
        compareFrames(run(*f.bar, f.bar->Glow, &TForm1::GlowTimer), showFrames);
        QCOMPARE(f.bar->geometry(), QRect(235, 0, 810, 150));
    }
};

QTEST_MAIN(TestBarAnimation)
#include "test_bar_animation.moc"
