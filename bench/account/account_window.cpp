// Times the account window against the budget web application: from a click on
// the bar's sign-in link to the window at its full height, and from the account
// page's completed document to the target height, which the growth should reach
// in its tick count x 5 ms. Run by run.py under an Xvfb of its own.
#include "AccountBar.h"
#include "ApplicationWindows.h"
#include "BarNavigationRules.h"
#include "Tacctfrm.h"
#include "WebAddresses.h"
#include "WebEngineBrowser.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Ticks from GrowStep 0 to TargetHeight: the first tick whose height h has 3h > target.
int ticksFor(int target)
{
    int step = 0, ticks = 0;
    for (;;) {
        const int height = 2 * step;
        ++ticks;
        step += std::max(step, 1);
        if (height + 2 * step > target)
            return ticks;
    }
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

class BenchBar : public QWidget, public AccountBar {
public:
    BenchBar()
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint)
    {
        setGeometry(235, 0, 810, 62);
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        browser = new WebEngineBrowser(this);
        layout->addWidget(browser->widget());
        browser->OnBeforeNavigate = [](const QString &address, bool &cancel) {
            AccountPagesLeaveTheBar(address, cancel);
        };
    }
    int Left() const override { return x(); }
    int Width() const override { return width(); }
    int Height() const override { return height(); }
    void NavigateHome() override { browser->Navigate(HomeUrl()); }
    WebEngineBrowser *browser;
};

}

int main(int argc, char *argv[])
{
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 10;

    BenchBar bar;
    AccountWindowsOpenUnder(bar, Desktop{nullptr, nullptr, [](QWidget *parent) -> std::unique_ptr<Browser> {
                                             return std::make_unique<WebEngineBrowser>(parent);
                                         }});
    bar.show();

    std::vector<double> toFull, toDocument, growth, expected;
    int target = 0, round = 0;
    QElapsedTimer clock;
    qint64 clicked = 0, completed = 0;
    Tacctfrm *watched = nullptr;
    bool waitingForHome = true;

    const auto clickSignIn = [&] {
        watched = nullptr;
        completed = 0;
        clicked = clock.nsecsElapsed();
        static_cast<QWebEngineView *>(bar.browser->widget())->page()->runJavaScript(
            QStringLiteral("document.querySelector('a[href*=\"Account.aspx\"]').click()"));
    };
    bar.browser->OnDocumentComplete = [&] {
        ErrorPageSendsTheBarHome(*bar.browser);
        if (waitingForHome) {
            waitingForHome = false;
            QTimer::singleShot(200, &app, clickSignIn);
        }
    };

    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (!acctfrm || acctfrm == watched || clicked == 0)
            return;
        Tacctfrm *w = acctfrm;
        if (!w->property("benchHooked").toBool()) {
            w->setProperty("benchHooked", true);
            auto original = w->WebBrowser1().OnDocumentComplete;
            w->WebBrowser1().OnDocumentComplete = [&, original] {
                if (!completed)
                    completed = clock.nsecsElapsed();
                original();
            };
        }
        if (!completed || w->Glow.isActive() || w->Height() != TargetHeight)
            return;
        const qint64 full = clock.nsecsElapsed();
        target = TargetHeight;
        toFull.push_back((full - clicked) / 1e6);
        toDocument.push_back((completed - clicked) / 1e6);
        growth.push_back((full - completed) / 1e6);
        expected.push_back(ticksFor(target) * 5.0);
        watched = w;
        clicked = 0;
        if (++round >= rounds) {
            app.quit();
            return;
        }
        // Exit: the window hides and the bar goes home, then the next click.
        waitingForHome = true;
        w->SpeedButton1Click();
    });
    clock.start();
    poll.start();
    bar.browser->Navigate(HomeUrl());
    QTimer::singleShot(120000, &app, [&] {
        std::fprintf(stderr, "bench_account_window: timed out after %d rounds\n", round);
        app.exit(1);
    });
    const int result = app.exec();
    if (toFull.empty())
        return result ? result : 1;

    const double load = median(toDocument), grown = median(growth), ticksMs = median(expected);
    std::printf("account window, %zu rounds (median ms)\n", toFull.size());
    std::printf("  TargetHeight %d px: %d ticks x 5 ms = %.0f ms\n", target, ticksFor(target), ticksMs);
    std::printf("  click to page loaded (document complete)     %8.1f\n", load);
    std::printf("  document complete to target height          %8.1f  (%.2f x the ticks' %.0f ms)\n", grown,
                grown / ticksMs, ticksMs);
    std::printf("  click to full height                         %8.1f  (%.2f x ticks + page load, %.1f)\n",
                median(toFull), median(toFull) / (ticksMs + load), ticksMs + load);
    ApplicationWindows::DestroyAll();
    return result;
}
