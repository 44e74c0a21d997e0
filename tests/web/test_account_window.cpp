// The account window: its layout, placement, page height and growth, closing,
// and its browser's rule, with a fake bar and fake browsers.
#include "AccountPageHeight.h"
#include "ApplicationWindows.h"
#include "FakeBar.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

namespace {
// Heights the window takes, in order.
class HeightRecorder : public QObject {
public:
    explicit HeightRecorder(QWidget *window) { window->installEventFilter(this); }
    QList<int> heights;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            heights << static_cast<QResizeEvent *>(event)->size().height();
        return false;
    }
};

QString lines(int count)
{
    QStringList rows;
    for (int i = 0; i < count; ++i)
        rows << QStringLiteral("Row %1").arg(i + 1);
    return rows.join(QLatin1String("\r\n"));
}
}

class TestAccountWindow : public QObject {
    Q_OBJECT

    FakeDesktop m_fakes;

    Tacctfrm *open(FakeBar &bar, const QString &address = HomeUrl() + QStringLiteral("Account.aspx"))
    {
        OpenAccountWindow(address);
        // Ticks are driven by hand; the window's own timer must not tick in between.
        acctfrm->Glow.setInterval(3600 * 1000);
        Q_UNUSED(bar);
        return acctfrm;
    }

    FakeBrowser *browserOf(Tacctfrm *window)
    {
        return static_cast<FakeBrowser *>(&window->WebBrowser1());
    }

    // Completes a document and runs the growth to its end; returns the heights set and the ticks taken.
    QList<int> grow(Tacctfrm *window, const QString &text, int *ticks = nullptr)
    {
        HeightRecorder recorder(window);
        browserOf(window)->Complete(text);
        int n = 0;
        while (window->Glow.isActive() && n < 100) {
            window->GlowTimer();
            ++n;
        }
        if (ticks)
            *ticks = n;
        return recorder.heights;
    }

private slots:
    void init()
    {
        ApplicationWindows::DestroyAll();
        acctfrm = nullptr;
        m_fakes.browsers.clear();
    }

    void buildsTheDesignedWindow()
    {
        FakeBar bar(m_fakes);
        Tacctfrm *w = open(bar);
        QCOMPARE(w->windowTitle(), QStringLiteral("Account"));
        QCOMPARE(w->size(), QSize(346, 19));
        QVERIFY(w->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(w->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(w->windowFlags() & Qt::X11BypassWindowManagerHint);
        QVERIFY(!w->parentWidget());
        QCOMPARE(w->Glow.timerType(), Qt::PreciseTimer);
        QVERIFY(!w->Glow.isActive());
        QVERIFY(w->Panel4()->isVisible());
        QVERIFY(!w->Memo1()->isVisible());
        QCOMPARE(w->Memo1()->geometry(), QRect(104, 136, 185, 89));
        auto *exit = w->findChild<QToolButton *>(QStringLiteral("SpeedButton1"));
        QCOMPARE(exit->toolTip(), QStringLiteral("Exit"));
        QCOMPARE(w->font().pixelSize(), 11);
    }

    void cropsTheBrowserAndCoversItAtEveryHeight()
    {
        FakeBar bar(m_fakes);
        Tacctfrm *w = open(bar);
        auto *clip = w->findChild<QWidget *>(QStringLiteral("Panel2"));
        for (int height : {19, 50, 284, 2}) {
            w->SetHeight(height);
            QWidget *view = browserOf(w)->widget();
            const QRect inClip(view->mapTo(clip, QPoint(0, 0)), view->size());
            const QRect cover(w->Panel4()->mapTo(clip, QPoint(0, 0)), w->Panel4()->size());
            // 19 px left and right, 4 at the top and 2 at the bottom stay hidden.
            QCOMPARE(clip->geometry(), QRect(1, 0, 344, height - 1));
            QCOMPARE(inClip, QRect(-19, -4, 382, clip->height() + 6));
            QCOMPARE(cover.intersected(clip->rect()), clip->rect());
        }
        QCOMPARE(w->findChild<QWidget *>(QStringLiteral("Panel3"))->geometry(), QRect(326, 1, 19, 17));
    }

    void placesItselfUnderTheBar_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QPoint>("position");
        QTest::newRow("default bar at 107") << 107 << 810 << 62 << QPoint(339, 62);
        QTest::newRow("at Left 0") << 0 << 810 << 62 << QPoint(232, 62);
        QTest::newRow("odd width floors") << 0 << 811 << 80 << QPoint(232, 80);
        QTest::newRow("narrower than the window") << 10 << 200 << 30 << QPoint(-63, 30);
        QTest::newRow("negative Left") << -128 << 1536 << 62 << QPoint(467, 62);
    }

    void placesItselfUnderTheBar()
    {
        QFETCH(int, left);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QPoint, position);
        FakeBar bar(m_fakes);
        bar.left = left;
        bar.width = width;
        bar.height = height;
        Tacctfrm *w = open(bar);
        QCOMPARE(w->pos(), position);
        QVERIFY(w->isVisible());
    }

    void memoTextCountsRowsNotSpaces_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("memo");
        QTest::newRow("spaces go, tabs stay") << "Sign in\tnow" << "Signin\tnow";
        QTest::newRow("trimmed, nbsp stays") << "\r\n \t x\xa0 \r\n\r\n" << "x\xa0";
        QTest::newRow("2 breaks become 1") << "a\r\n\r\nb" << "a\r\nb";
        QTest::newRow("3 become 2") << "a\r\n\r\n\r\nb" << "a\r\n\r\nb";
        QTest::newRow("4 become 2") << "a\r\n\r\n\r\n\r\nb" << "a\r\n\r\nb";
        QTest::newRow("5 become 3") << "a\r\n\r\n\r\n\r\n\r\nb" << "a\r\n\r\n\r\nb";
        QTest::newRow("only blanks") << "  \r\n \r\n\t " << "";
    }

    void memoTextCountsRowsNotSpaces()
    {
        QFETCH(QString, text);
        QFETCH(QString, memo);
        QCOMPARE(AccountMemoText(text), memo);
    }

    void heightFollowsTheLinesTheBoxShows_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("target");
        QTest::newRow("empty") << "" << 24;
        QTest::newRow("blanks only") << " \r\n\r\n  \r\n" << 24;
        QTest::newRow("one line") << "Sign in" << 50;
        QTest::newRow("two lines") << lines(2) << 76;
        QTest::newRow("one empty line between") << "a\r\n\r\nb" << 76;
        QTest::newRow("two empty lines between") << "a\r\n\r\n\r\nb" << 102;
        QTest::newRow("lone CR and lone LF") << "a\rb\nc" << 102;
        QTest::newRow("ten lines") << lines(10) << 284;
        QTest::newRow("twenty lines") << lines(20) << 544;
        // X11 makes no window taller than 32767 px: 1259 lines would ask for 32758, 1260 for 32784.
        QTest::newRow("1259 lines, just under the X11 limit") << lines(1259) << 32758;
        QTest::newRow("5000 lines stop at the X11 limit") << lines(5000) << 32767;
    }

    void heightFollowsTheLinesTheBoxShows()
    {
        QFETCH(QString, text);
        QFETCH(int, target);
        FakeBar bar(m_fakes);
        Tacctfrm *w = open(bar);
        browserOf(w)->Complete(text);
        QCOMPARE(TargetHeight, target);
        QVERIFY(w->Glow.isActive());
    }

    void wrapsAsTheVisibleBoxDoes()
    {
        FakeBar bar(m_fakes);
        Tacctfrm *w = open(bar);
        auto *memo = static_cast<QTextEdit *>(w->Memo1());
        const QFontMetrics metrics(memo->font());
        const int room = memo->contentsRect().width() - 2 * int(memo->document()->documentMargin());
        // Two words that fit together without the space between them.
        QString word = QStringLiteral("W");
        while (metrics.horizontalAdvance(word + word + QLatin1Char('W')) < room - 4)
            word += QLatin1Char('W');
        browserOf(w)->Complete(word + QStringLiteral("      ") + word);
        QCOMPARE(w->Memo1LineCount(), 1);
        // A long run of characters breaks where the box breaks it.
        browserOf(w)->Complete(QString(200, QLatin1Char('W')) + QStringLiteral("\r\nshort\r\n") + word + word + word);
        const int counted = w->Memo1LineCount();
        QVERIFY(counted > 4);
        memo->show();
        QCoreApplication::processEvents();
        memo->document()->documentLayout()->documentSize();
        int shown = 0;
        for (QTextBlock b = memo->document()->begin(); b.isValid(); b = b.next())
            shown += b.layout()->lineCount();
        QCOMPARE(counted, shown);
        QCOMPARE(TargetHeight, counted * 26 + 24);
    }

    void growsByDoubling_data()
    {
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<QList<int>>("heights");
        QTest::newRow("0 lines") << 0 << QList<int>{0, 2, 4, 8, 16, 24};
        QTest::newRow("1 line") << 1 << QList<int>{0, 2, 4, 8, 16, 32, 50};
        QTest::newRow("2 lines") << 2 << QList<int>{0, 2, 4, 8, 16, 32, 76};
        QTest::newRow("3 lines") << 3 << QList<int>{0, 2, 4, 8, 16, 32, 64, 102};
        QTest::newRow("6 lines") << 6 << QList<int>{0, 2, 4, 8, 16, 32, 64, 180};
        QTest::newRow("10 lines") << 10 << QList<int>{0, 2, 4, 8, 16, 32, 64, 128, 284};
        QTest::newRow("20 lines") << 20 << QList<int>{0, 2, 4, 8, 16, 32, 64, 128, 256, 544};
    }

    void growsByDoubling()
    {
        QFETCH(int, lineCount);
        QFETCH(QList<int>, heights);
        FakeBar bar(m_fakes);
        Tacctfrm *w = open(bar);
        int ticks = 0;
        QCOMPARE(grow(w, lines(lineCount), &ticks), heights);
        // The last tick sets both its doubled height and the target.
        QCOMPARE(ticks, heights.size() - 1);
        QCOMPARE(w->Height(), heights.last());
        QVERIFY(!w->Panel4()->isVisible());
        QCOMPARE(GrowStep, heights[heights.size() - 2]);
    }

    void laterPagesGrowFromTheLastStep_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<QList<int>>("heights");
        QTest::newRow("2 then 10 lines") << 2 << 10 << QList<int>{64, 128, 284};
        QTest::newRow("10 then 2 lines") << 10 << 2 << QList<int>{256, 76};
        QTest::newRow("2 then 2 lines") << 2 << 2 << QList<int>{64, 76};
    }

    void laterPagesGrowFromTheLastStep()
    {
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(QList<int>, heights);
        FakeBar bar(m_fakes);
        Tacctfrm *w = open(bar);
        grow(w, lines(first));
        QCOMPARE(grow(w, lines(second)), heights);
        QVERIFY(!w->Panel4()->isVisible());
    }

    void aGrowthUnderWayGoesOn()
    {
        FakeBar bar(m_fakes);
        Tacctfrm *w = open(bar);
        browserOf(w)->Complete(lines(10));
        w->GlowTimer();
        w->GlowTimer();
        // A frame completes mid-growth: a new target, the step kept.
        browserOf(w)->Complete(lines(2));
        QCOMPARE(GrowStep, 2);
        QCOMPARE(grow(w, QString()), (QList<int>{4, 8, 16, 24}));
        // A completed document with no document changes nothing.
        browserOf(w)->snapshot.reset();
        browserOf(w)->OnDocumentComplete();
        QVERIFY(!w->Glow.isActive());
        QCOMPARE(TargetHeight, 24);
    }

    void aFailingDocumentKeepsTheTarget()
    {
        RecordingReporter reporter;
        FakeBar bar(m_fakes);
        Tacctfrm *w = open(bar);
        grow(w, lines(2));
        runGuarded([&] { browserOf(w)->Complete(lines(10), false); });
        QCOMPARE(TargetHeight, 76);
        QVERIFY(!w->Glow.isActive());
        QCOMPARE(reporter.messages.size(), 1);
    }

    void closingHidesAndSendsTheBarHome()
    {
        FakeBar bar(m_fakes);
        Tacctfrm *w = open(bar);
        // The flow's end is refused in the window, which closes right after.
        QVERIFY(!browserOf(w)->PageNavigates(HomeUrl() + QStringLiteral("default.ASPX?signedIn=1")));
        QVERIFY(w->isVisible());
        QCoreApplication::processEvents();
        QVERIFY(!w->isVisible());
        QCOMPARE(bar.browser->navigations, QStringList{HomeUrl()});
        // Links among account pages stay in the window.
        QVERIFY(browserOf(w)->PageNavigates(HomeUrl() + QStringLiteral("NewAccount.aspx")));
        // Exit does the same; a closed window still sends the bar home when asked again.
        Tacctfrm *second = open(bar);
        QCOMPARE(bar.browser->navigations, (QStringList{HomeUrl(), HomeUrl()}));
        second->findChild<QToolButton *>(QStringLiteral("SpeedButton1"))->click();
        QVERIFY(!second->isVisible());
        QCOMPARE(bar.browser->navigations.size(), 3);
        QCOMPARE(acctfrm, second);
        open(bar);
        QCOMPARE(bar.browser->navigations.size(), 4);
        QVERIFY(!w->isVisible() && !second->isVisible());
    }

    void anAccountAddressWithTheFlowEndIsRefused()
    {
        FakeBar bar(m_fakes);
        const QString address = HomeUrl() + QStringLiteral("Account.aspx?ReturnUrl=Default.aspx");
        Tacctfrm *w = open(bar, address);
        QCOMPARE(browserOf(w)->cancelled, QStringList{address});
        QCoreApplication::processEvents();
        QVERIFY(!w->isVisible());
        QCOMPARE(bar.browser->navigations, QStringList{HomeUrl()});
        QCOMPARE(acctfrm, w);
    }

    void anAccountLinkDuringCreationReplacesTheNewWindow()
    {
        FakeBar bar(m_fakes);
        // The second link is handled while the first window's creation lets events run.
        bar.browser->PageNavigates(HomeUrl() + QStringLiteral("Account.aspx"));
        bar.browser->PageNavigates(HomeUrl() + QStringLiteral("NewAccount.aspx"));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        const QList<Tacctfrm *> windows = [] {
            QList<Tacctfrm *> all;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *a = qobject_cast<Tacctfrm *>(w))
                    all << a;
            return all;
        }();
        int shown = 0;
        for (Tacctfrm *a : windows)
            shown += a->isVisible();
        QCOMPARE(shown, 1);
        QVERIFY(acctfrm->isVisible());
        QCOMPARE(static_cast<FakeBrowser *>(&acctfrm->WebBrowser1())->navigations,
                 QStringList{HomeUrl() + QStringLiteral("NewAccount.aspx")});
    }
};

QTEST_MAIN(TestAccountWindow)
#include "test_account_window.moc"
