// The bar's Configure and Add Budget Types buttons, and the dialog's Apply on
// the real bar, with fake browsers, screen and shell.
#include "ApplicationWindows.h"
#include "FakeDesktop.h"
#include "TForm1.h"
#include "TPreferences.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

class TestPreferencesFromBar : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;
    FakeDesktop m_fakes;

    std::unique_ptr<TForm1> makeBar()
    {
        auto bar = std::make_unique<TForm1>(m_fakes.desktop(), MouseHookCalls{[] {}, [] {}});
        Form1 = bar.get();
        return bar;
    }

    static QList<TPreferences *> dialogs()
    {
        QList<TPreferences *> found;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *d = qobject_cast<TPreferences *>(w))
                found << d;
        return found;
    }

    static void press(TForm1 &bar, const char *button)
    {
        bar.findChild<QToolButton *>(QLatin1String(button))->click();
    }

private slots:
    void init()
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        QFile::remove(m_config.filePath(QStringLiteral("zorvel/config.ini")));
        m_fakes.screen.width = 1280;
    }

    void cleanup() { ApplicationWindows::DestroyAll(); }

    void eachClickOpensAFreshDialog()
    {
        auto bar = makeBar();
        press(*bar, "SpeedButton3");
        press(*bar, "SpeedButton3");
        const QList<TPreferences *> opened = dialogs();
        QCOMPARE(opened.size(), 2);
        for (TPreferences *d : opened) {
            QVERIFY(d->isVisible());
            QCOMPARE(d->pos(), QPoint(669, 260));
            QCOMPARE(d->Tabs()->currentIndex(), 0);
        }
        // Closed, a dialog stays in memory until the program's windows go.
        QPointer<TPreferences> closed(opened[0]);
        closed->close();
        QVERIFY(closed && closed->isHidden());
        ApplicationWindows::DestroyAll();
        QVERIFY(!closed);
        QVERIFY(dialogs().isEmpty());
    }

    void addBudgetTypesOpensOnTheBudgetTypesPage()
    {
        auto bar = makeBar();
        press(*bar, "SpeedButton3");
        TPreferences *other = dialogs().value(0);
        other->Tabs()->setCurrentIndex(3);
        press(*bar, "SpeedButton4");
        QList<TPreferences *> opened = dialogs();
        QCOMPARE(opened.size(), 2);
        opened.removeOne(other);
        QCOMPARE(opened[0]->Tabs()->currentWidget()->objectName(), QStringLiteral("BudgetTypes"));
        QCOMPARE(other->Tabs()->currentIndex(), 3);
    }

    void defaultsPlaceTheBarCentred()
    {
        auto bar = makeBar();
        bar->SetWidth(1000);
        bar->SetLeft(0);
        ::TopPos = 0;
        press(*bar, "SpeedButton3");
        TPreferences *d = dialogs().value(0);
        d->findChild<QPushButton *>(QStringLiteral("Defaults"))->click();
        QCOMPARE(bar->geometry(), QRect(1280 / 2 - 810 / 2, 0, 810, 62));
        QCOMPARE(::Sensitivity, 50);
        QCOMPARE(::TopPos, 1);
        QVERIFY(d->isVisible());
    }

    void applyPlacesTheBarByTheChoice()
    {
        auto bar = makeBar();
        ::TopPos = 5;
        press(*bar, "SpeedButton3");
        TPreferences *d = dialogs().value(0);
        d->findChild<QLineEdit *>(QStringLiteral("Edit2"))->setText(QStringLiteral("1000"));
        d->findChild<QPushButton *>(QStringLiteral("Button4"))->click();
        QCOMPARE(bar->Left(), 280);
        QCOMPARE(::TopPos, 2);
        // With no choice marked the bar's left edge stays where it is.
        ::TopPos = -3;
        bar->SetLeft(17);
        press(*bar, "SpeedButton3");
        QList<TPreferences *> opened = dialogs();
        opened.removeOne(d);
        d = opened.value(0);
        QCOMPARE(d->RadioGroup1ItemIndex(), -1);
        d->findChild<QPushButton *>(QStringLiteral("Button4"))->click();
        QCOMPARE(bar->Left(), 17);
        QCOMPARE(::TopPos, -1);
    }
};

QTEST_MAIN(TestPreferencesFromBar)
#include "test_preferences_from_bar.moc"
