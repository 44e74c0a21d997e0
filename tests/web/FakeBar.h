#pragma once
// A bar for the web rules: geometry, a fake browser that applies the bar's
// two rules, and its home navigation.
#include "AccountBar.h"
#include "BarNavigationRules.h"
#include "FakeDesktop.h"
#include "Tacctfrm.h"
#include "WebAddresses.h"

#include <QWidget>

class FakeBar : public AccountBar {
public:
    explicit FakeBar(FakeDesktop &fakes) : m_widget(new QWidget)
    {
        auto made = fakes.desktop().newBrowser(m_widget.get());
        browser = static_cast<FakeBrowser *>(made.release());
        m_browser.reset(browser);
        browser->OnBeforeNavigate = [](const QString &address, bool &cancel) {
            AccountPagesLeaveTheBar(address, cancel);
        };
        browser->OnDocumentComplete = [this] { ErrorPageSendsTheBarHome(*browser); };
        AccountWindowsOpenUnder(*this, fakes.desktop());
    }

    int Left() const override { return left; }
    int Width() const override { return width; }
    int Height() const override { return height; }
    void NavigateHome() override { browser->Navigate(HomeUrl()); }

    int left = 107, width = 810, height = 62;
    FakeBrowser *browser;

private:
    std::unique_ptr<QWidget> m_widget;
    std::unique_ptr<Browser> m_browser;
};
