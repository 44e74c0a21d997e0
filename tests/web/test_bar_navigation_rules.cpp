// The bar's two browser rules and the page text they read, with a fake browser.
#include "FakeBar.h"
#include "ApplicationWindows.h"
#include "PageText.h"

#include <QtTest>

class TestBarNavigationRules : public QObject {
    Q_OBJECT

    FakeDesktop m_fakes;

private slots:
    void init()
    {
        ApplicationWindows::DestroyAll();
        acctfrm = nullptr;
        m_fakes.browsers.clear();
    }

    void readsTheTopElementsTextOrNothing()
    {
        QWidget parent;
        FakeBrowser browser(&parent);
        QCOMPARE(ReadPageText(browser), std::nullopt);
        browser.snapshot = PageSnapshot{true, true, QStringLiteral("Budget\r\nSign in")};
        QCOMPARE(ReadPageText(browser), std::optional<QString>(QStringLiteral("Budget\r\nSign in")));
        browser.snapshot = PageSnapshot{false, false, QString()};
        QVERIFY_THROWS_EXCEPTION(ZorvelError, ReadPageText(browser));
        browser.snapshot = PageSnapshot{true, false, QString()};
        QVERIFY_THROWS_EXCEPTION(ZorvelError, ReadPageText(browser));
    }

    void accountAddressesLeaveTheBar_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("handedOver");
        const QString home = HomeUrl();
        QTest::newRow("the sign-in page") << home + "Account.aspx" << true;
        QTest::newRow("lower case") << home + "account.aspx" << true;
        QTest::newRow("upper case") << home + "ACCOUNT.ASPX" << true;
        QTest::newRow("with a query") << home + "Account.aspx?ReturnUrl=%2FBrenvo%2F" << true;
        QTest::newRow("only in a query") << home + "Default.aspx?next=Account.aspx" << true;
        QTest::newRow("a name ending in it") << home + "NewAccount.aspx" << true;
        QTest::newRow("another server") << "http://elsewhere.example/x/PasswordAccount.aspx" << true;
        QTest::newRow("home") << home << false;
        QTest::newRow("logout") << PageUrl(Page::Logout) << false;
        QTest::newRow("budget types") << PageUrl(Page::ManageTypes) << false;
        QTest::newRow("account without the page") << home + "Account.asp" << false;
    }

    void accountAddressesLeaveTheBar()
    {
        QFETCH(QString, address);
        QFETCH(bool, handedOver);
        FakeBar bar(m_fakes);
        // A link, a frame and a form post all reach the bar as one before-navigate.
        QCOMPARE(bar.browser->PageNavigates(address), !handedOver);
        QCoreApplication::processEvents();
        QCOMPARE(acctfrm != nullptr, handedOver);
        if (handedOver) {
            // The account window gets the address as it came, and nothing else.
            QCOMPARE(m_fakes.browsers.back()->navigations, QStringList{address});
            QVERIFY(acctfrm->isVisible());
        }
        QCOMPARE(bar.browser->navigations, handedOver ? QStringList{} : QStringList{address});
    }

    void theProgramsOwnNavigationsProceed()
    {
        FakeBar bar(m_fakes);
        bar.browser->Navigate(HomeUrl());
        bar.browser->Navigate(PageUrl(Page::Logout));
        QCOMPARE(bar.browser->cancelled, QStringList{});
    }

    void firstAccountWindowLeavesTheBarLaterOnesSendItHome()
    {
        FakeBar bar(m_fakes);
        const QString budgets = HomeUrl() + QStringLiteral("Default.aspx?month=3");
        bar.browser->PageNavigates(budgets);
        bar.browser->PageNavigates(HomeUrl() + QStringLiteral("Account.aspx"));
        QCoreApplication::processEvents();
        Tacctfrm *first = acctfrm;
        QVERIFY(first && first->isVisible());
        QCOMPARE(bar.browser->navigations, QStringList{budgets});

        bar.browser->PageNavigates(HomeUrl() + QStringLiteral("NewAccount.aspx"));
        QCoreApplication::processEvents();
        QVERIFY(acctfrm != first);
        QVERIFY(!first->isVisible());
        QVERIFY(acctfrm->isVisible());
        QCOMPARE(bar.browser->navigations, (QStringList{budgets, HomeUrl()}));
        QCOMPARE(GrowStep, 0);
    }

    void errorPageSendsTheBarHome_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("home");
        QTest::newRow("the heading")
            << "Server Error in '/Brenvo' Application.\r\n\r\nRuntime Error" << true;
        QTest::newRow("lower case, no full stop") << "server error in '/brenvo' application" << true;
        QTest::newRow("inside the text") << "Budget\r\nSERVER ERROR IN '/BRENVO' APPLICATION" << true;
        QTest::newRow("another application") << "Server Error in '/Other' Application." << false;
        QTest::newRow("a normal page") << "Budget\r\nSign in or create an account" << false;
        QTest::newRow("the browser's own error page") << "" << false;
    }

    void errorPageSendsTheBarHome()
    {
        QFETCH(QString, text);
        QFETCH(bool, home);
        FakeBar bar(m_fakes);
        bar.browser->Complete(text);
        QCOMPARE(bar.browser->navigations, home ? QStringList{HomeUrl()} : QStringList{});
    }

    void eachFrameTestsTheTopLevelPage()
    {
        FakeBar bar(m_fakes);
        // Three documents complete (two frames and the page); each reads the page.
        for (int i = 0; i < 3; ++i)
            bar.browser->Complete(QStringLiteral("Server Error in '/Brenvo' Application."));
        QCOMPARE(bar.browser->navigations.size(), 3);
    }

    void noDocumentOrNoHtmlChangesNothing()
    {
        RecordingReporter reporter;
        FakeBar bar(m_fakes);
        bar.browser->OnDocumentComplete();
        QCOMPARE(bar.browser->navigations, QStringList{});
        // The real browser guards its callbacks the same way.
        runGuarded([&] { bar.browser->Complete(QStringLiteral("Server Error in '/Brenvo' Application."), false); });
        runGuarded([&] { bar.browser->Complete(QStringLiteral("Server Error in '/Brenvo' Application."), true, false); });
        QCOMPARE(bar.browser->navigations, QStringList{});
        QCOMPARE(reporter.messages.size(), 2);
        QVERIFY(reporter.messages[0].contains(QStringLiteral("HTML")));
        QVERIFY(reporter.messages[1].contains(QStringLiteral("body")));
    }
};

QTEST_MAIN(TestBarNavigationRules)
#include "test_bar_navigation_rules.moc"
