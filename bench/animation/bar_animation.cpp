// Times the bar's full show and full hide on a real display against their
// nominal 22 and 23 ticks of 10 ms, and 100,000 hook messages through the
// bar's window procedure. The bar runs on fakes for its browser and shell, so
// that only the animation and the message path are measured.
#include "FakeDesktop.h"
#include "HookCommon.h"
#include "TForm1.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

namespace {
double runUntilStopped(QTimer &timer)
{
    QElapsedTimer clock;
    clock.start();
    while (timer.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return clock.nsecsElapsed() / 1e6;
}

void report(const char *what, std::vector<double> ms, double nominal)
{
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    std::printf("%-5s median %6.1f ms  min %6.1f  max %6.1f  nominal %5.1f  (%+.1f %%, target within 25 %%: %s)\n",
                what, median, ms.front(), ms.back(), nominal, 100.0 * (median - nominal) / nominal,
                std::abs(median - nominal) <= 0.25 * nominal ? "met" : "NOT met");
}
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    RegisterHookMessage();
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());

    FakeDesktop fakes;
    TForm1 bar(fakes.desktop(), MouseHookCalls{[] {}, [] {}});
    Form1 = &bar;
    bar.show();
    bar.HideTimer.stop();
    bar.HideTimer.setInterval(3600 * 1000); // no hide check in the middle of the rounds
    QCoreApplication::processEvents();

    std::vector<double> shows, hides;
    for (int round = 0; round < rounds; ++round) {
        bar.StartFade();
        hides.push_back(runUntilStopped(bar.Fade));
        bar.StartGlow();
        shows.push_back(runUntilStopped(bar.Glow));
        bar.HideTimer.stop();
    }
    std::printf("platform %s, %d rounds\n", qPrintable(QGuiApplication::platformName()), rounds);
    report("show", shows, 22 * 10.0);
    report("hide", hides, 23 * 10.0);

    // Hook messages as the library sends them, through every native event filter
    // the program has installed. Parked with a threshold never reached, each does
    // the whole work: the increment and both comparisons.
    bar.StartFade();
    runUntilStopped(bar.Fade);
    bar.HideTimer.stop();
    ::Sensitivity = std::numeric_limits<std::int32_t>::max();
    ::StrokeCount = 0;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE | 0x80;
    event.format = 32;
    event.window = xcb_window_t(bar.winId());
    event.type = HookMessageId != 0 ? HookMessageId : 1;
    if (HookMessageId == 0)
        HookMessageId = 1;
    event.data.data32[0] = 4;
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    constexpr int messages = 100000;
    qintptr result = 0;
    int consumed = 0;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < messages; ++i)
        consumed += dispatcher->filterNativeEvent("xcb_generic_event_t", &event, &result) ? 1 : 0;
    const double ns = double(clock.nsecsElapsed());
    std::printf("hook  %d messages through WndProc: %.1f ms, %.0f ns each (target under 1000 ns: %s); counted %d, consumed %d\n",
                messages, ns / 1e6, ns / messages, ns / messages < 1000 ? "met" : "NOT met", ::StrokeCount, consumed);
    Form1 = nullptr;
    return (::StrokeCount == messages && consumed == messages) ? 0 : 1;
}
