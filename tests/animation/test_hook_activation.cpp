// The stroke count: which hook messages count, when they bring the parked bar
// back, and the three places that clear the count.
#include "BarFixture.h"

#include <QtTest>

#include <limits>

class TestHookActivation : public QObject {
    Q_OBJECT

    static void send(TForm1 &bar, int times, std::uint8_t code = 4)
    {
        for (int i = 0; i < times; ++i)
            bar.HandleHookMessage(code);
    }

    static void parkByHideButton(BarFixture &f)
    {
        f.bar->SpeedButton2Click();
        while (f.bar->Fade.isActive())
            f.bar->FadeTimer();
    }

private slots:
    void init()
    {
        ::StrokeCount = 0;
        ::Sensitivity = 50;
    }

    void theEventAfterSensitivityBringsTheParkedBarBack()
    {
        BarFixture f;
        f.parked();
        send(*f.bar, 50);
        QCOMPARE(::StrokeCount, 50);
        QVERIFY(!f.bar->Glow.isActive());
        QVERIFY(!f.bar->HideTimer.isActive());
        f.bar->HandleHookMessage(4);
        QVERIFY(f.bar->Glow.isActive());
        QVERIFY(f.bar->HideTimer.isActive());
        QCOMPARE(::StrokeCount, 0);
    }

    void lowThresholdsWakeAtTheFirstEvent_data()
    {
        QTest::addColumn<int>("sensitivity");
        QTest::newRow("0") << 0;
        QTest::newRow("-1") << -1;
        QTest::newRow("most negative") << std::numeric_limits<std::int32_t>::min();
    }

    void lowThresholdsWakeAtTheFirstEvent()
    {
        QFETCH(int, sensitivity);
        ::Sensitivity = sensitivity;
        BarFixture f;
        ::Sensitivity = sensitivity; // start-up loaded the default
        f.parked();
        f.bar->HandleHookMessage(4);
        QVERIFY(f.bar->Glow.isActive());
    }

    void onlyCodeFourCounts()
    {
        BarFixture f;
        f.parked();
        for (int code = 0; code < 256; ++code)
            if (code != 4)
                f.bar->HandleHookMessage(std::uint8_t(code));
        QCOMPARE(::StrokeCount, 0);
        QVERIFY(!f.bar->Glow.isActive());
    }

    void strokesWhileShownAreWipedByTheNextHideCheck()
    {
        BarFixture f;
        f.shown();
        f.fakes.screen.cursor = QPoint(300, 5); // on the bar: the check keeps it
        send(*f.bar, 80);
        QCOMPARE(::StrokeCount, 80);
        QVERIFY(!f.bar->Glow.isActive());
        f.bar->HideTimerTimer();
        QCOMPARE(::StrokeCount, 0);
    }

    void theCountGoesOnThroughAHideAndWakesOnArrival()
    {
        BarFixture f;
        f.shown();
        // Counted while shown; the Hide button does not clear the count.
        send(*f.bar, 40);
        f.bar->SpeedButton2Click();
        for (int tick = 0; tick < 10; ++tick) {
            f.bar->FadeTimer();
            send(*f.bar, 3);
        }
        QCOMPARE(::StrokeCount, 70);
        QVERIFY(!f.bar->Glow.isActive());
        while (f.bar->Fade.isActive())
            f.bar->FadeTimer();
        QCOMPARE(::StrokeCount, 70);
        f.bar->HandleHookMessage(4);
        QVERIFY(f.bar->Glow.isActive());
    }

    void parkedStrokesAddUpAndThresholdChangesApplyAtOnce()
    {
        BarFixture f;
        parkByHideButton(f);
        send(*f.bar, 30);
        ::Sensitivity = 20;
        f.bar->HandleHookMessage(4);
        QVERIFY(f.bar->Glow.isActive());
    }

    void onlyStartGlowAndTheHideCheckClearTheCount()
    {
        BarFixture f;
        f.shown();
        ::StrokeCount = 7;
        f.bar->StartFade();
        f.bar->FadeTimer();
        f.bar->StartGlow();
        QCOMPARE(::StrokeCount, 0);
        ::StrokeCount = 7;
        f.bar->GlowTimer();
        f.bar->FadeTimer();
        f.bar->SpeedButton2Click();
        QCOMPARE(::StrokeCount, 7);
        f.fakes.screen.cursor = QPoint(300, 5);
        f.bar->HideTimerTimer();
        QCOMPARE(::StrokeCount, 0);
    }

    void theCountStopsAtTheTopOfItsRange()
    {
        BarFixture f;
        f.parked();
        ::Sensitivity = std::numeric_limits<std::int32_t>::max();
        ::StrokeCount = std::numeric_limits<std::int32_t>::max() - 1;
        send(*f.bar, 3);
        QCOMPARE(::StrokeCount, std::numeric_limits<std::int32_t>::max());
        QVERIFY(!f.bar->Glow.isActive());
    }
};

QTEST_MAIN(TestHookActivation)
#include "test_hook_activation.moc"
