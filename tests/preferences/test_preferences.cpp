// The preferences dialog through its handlers, with a recording bar, fake
// browsers and shell, and config.ini in a temporary configuration folder.
#include "FakeDesktop.h"
#include "FakePreferencesBar.h"
#include "TPreferences.h"
#include "UpdaterLaunch.h"
#include "WebAddresses.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
const QStringList ApplyOrder{"sensitivity 50", "height 62", "width 810", "toppos 1", "place 1", "home", "glow"};
}

class TestPreferences : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;
    FakeDesktop m_fakes;
    FakePreferencesBar m_bar;
    std::unique_ptr<RecordingReporter> m_reporter;
    std::vector<std::unique_ptr<TPreferences>> m_dialogs;

    QString configPath() const { return m_config.filePath(QStringLiteral("zorvel/config.ini")); }

    TPreferences *openDialog()
    {
        m_dialogs.push_back(std::make_unique<TPreferences>(m_bar, m_fakes.desktop()));
        TPreferences *dialog = m_dialogs.back().get();
        dialog->show();
        m_bar.log.clear();
        return dialog;
    }

    template <typename T>
    static T *control(TPreferences *dialog, const char *name)
    {
        T *found = dialog->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    static QLineEdit *edit(TPreferences *d, const char *name) { return control<QLineEdit>(d, name); }
    static QSlider *slider(TPreferences *d, const char *name) { return control<QSlider>(d, name); }
    static void click(TPreferences *d, const char *name) { control<QPushButton>(d, name)->click(); }

    QStringList configLines() const
    {
        QFile file(configPath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QString text = QString::fromLatin1(file.readAll());
        text.remove(QLatin1Char('\r'));
        QStringList lines = text.split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

    void writeConfig(const QByteArray &text)
    {
        QDir().mkpath(QFileInfo(configPath()).path());
        QFile file(configPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

private slots:
    void init()
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        QFile(configPath()).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        QFile::remove(configPath());
        m_bar = FakePreferencesBar{};
        m_bar.configPath = configPath();
        m_fakes.browsers.clear();
        m_fakes.shell.programs.clear();
        m_fakes.shell.urls.clear();
        m_reporter = std::make_unique<RecordingReporter>();
    }

    void cleanup()
    {
        m_dialogs.clear();
        m_reporter.reset();
    }

    void windowAndControlsAsDesigned()
    {
        TPreferences *d = openDialog();
        QCOMPARE(d->objectName(), QStringLiteral("Preferences"));
        QCOMPARE(d->windowTitle(), QStringLiteral("Preferences"));
        QCOMPARE(d->size(), QSize(356, 375));
        QCOMPARE(d->minimumSize(), d->maximumSize());
        QCOMPARE(d->pos(), QPoint(669, 260));
        const Qt::WindowFlags flags = d->windowFlags();
        QVERIFY(flags & Qt::WindowStaysOnTopHint);
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(flags & Qt::WindowCloseButtonHint);

        struct Placed {
            const char *name, *parent;
            QRect rect;
        };
        const Placed layout[] = {
            {"Tabs", "Preferences", {6, 8, 343, 313}},       {"Defaults", "Preferences", {8, 328, 75, 25}},
            {"Button2", "Preferences", {112, 328, 75, 25}},  {"Button3", "Preferences", {192, 328, 75, 25}},
            {"Button4", "Preferences", {272, 328, 75, 25}},  {"SensBox", "Application", {8, 8, 321, 97}},
            {"TrackBar1", "SensBox", {8, 16, 297, 22}},       {"Label3", "SensBox", {13, 62, 284, 26}},
            {"UpdatesBox", "Application", {8, 112, 321, 81}}, {"Label4", "UpdatesBox", {14, 17, 194, 52}},
            {"Button1", "UpdatesBox", {232, 32, 75, 25}},     {"DimBox", "Application", {8, 200, 233, 79}},
            {"Edit1", "DimBox", {50, 21, 41, 21}},            {"TrackBar2", "DimBox", {110, 24, 115, 17}},
            {"Edit2", "DimBox", {50, 45, 41, 21}},            {"TrackBar3", "DimBox", {110, 48, 115, 17}},
            {"RadioGroup1", "Application", {248, 200, 81, 79}}, {"WebBrowser1", "BudgetTypes", {0, 0, 335, 285}},
            {"WebBrowser2", "User", {0, 0, 335, 285}},        {"Image1", "About", {8, 8, 128, 128}},
            {"Label13", "About", {8, 144, 321, 129}},
        };
        for (const Placed &p : layout) {
            QWidget *w = control<QWidget>(d, p.name);
            QCOMPARE(w->parentWidget()->objectName(), QLatin1String(p.parent));
            QCOMPARE(w->geometry(), p.rect);
        }
        struct Text {
            const char *name, *parent;
            QPoint at;
            const char *text;
        };
        const Text labels[] = {
            {"Label1", "SensBox", {13, 41}, "More Sensitive"},
            {"Label2", "SensBox", {229, 41}, "Less Sensitive"},
            {"Label3", "SensBox", {13, 62},
             "This option controls how long you have to 'stroke' the top of the screen to active the Zorvel window."},
            {"Label4", "UpdatesBox", {14, 17},
             "By default Zorvel checks the internet for program updates once a day.  If you want to manually check "
             "for a recent update, click the Check Now button."},
            {"Label5", "DimBox", {13, 24}, "Height:"},
            {"Label7", "DimBox", {93, 24}, "px"},
            {"Label6", "DimBox", {16, 48}, "Width:"},
            {"Label8", "DimBox", {93, 48}, "px"},
            {"Label9", "About", {144, 8}, "Zorvel"},
            {"Label10", "About", {144, 40}, "The tiny Web-Powered budget system."},
            {"Label12", "About", {144, 64}, nullptr},
            {"Label11", "About", {144, 80}, nullptr},
        };
        for (const Text &t : labels) {
            auto *label = control<QLabel>(d, t.name);
            QCOMPARE(label->parentWidget()->objectName(), QLatin1String(t.parent));
            QCOMPARE(label->pos(), t.at);
            if (t.text)
                QCOMPARE(label->text(), QLatin1String(t.text));
            QVERIFY2(label->width() >= label->sizeHint().width() || label->wordWrap(), t.name);
        }
        QCOMPARE(control<QLabel>(d, "Label11")->text(), QStringLiteral(ZORVEL_MAKER_URL));
        QCOMPARE(control<QLabel>(d, "Label11")->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(control<QLabel>(d, "Label11")->font().underline());
        QCOMPARE(control<QLabel>(d, "Label9")->font().pixelSize(), 27);
        QVERIFY(control<QLabel>(d, "Label9")->font().bold());

        QCOMPARE(control<QGroupBox>(d, "SensBox")->title(), QStringLiteral("Activation Sensitivity"));
        QCOMPARE(control<QGroupBox>(d, "UpdatesBox")->title(), QStringLiteral("Updates"));
        QCOMPARE(control<QGroupBox>(d, "DimBox")->title(), QStringLiteral(" Dimentions"));
        QCOMPARE(control<QGroupBox>(d, "RadioGroup1")->title(), QStringLiteral("Position"));
        const char *buttons[][2] = {{"Defaults", "Defaults"}, {"Button2", "OK"}, {"Button3", "Cancel"},
                                    {"Button4", "Apply"},     {"Button1", "Check Now"}};
        for (auto &b : buttons) {
            auto *button = control<QPushButton>(d, b[0]);
            QCOMPARE(button->text(), QLatin1String(b[1]));
            QVERIFY2(!button->isDefault() && !button->autoDefault(), b[0]);
        }
        const QList<QRadioButton *> choices = control<QGroupBox>(d, "RadioGroup1")->findChildren<QRadioButton *>();
        QCOMPARE(choices.size(), 3);
        QCOMPARE(choices[0]->text(), QStringLiteral("Left"));
        QCOMPARE(choices[1]->text(), QStringLiteral("Center"));
        QCOMPARE(choices[2]->text(), QStringLiteral("Right"));
        QVERIFY(choices[0]->y() < choices[1]->y() && choices[1]->y() < choices[2]->y());

        QTabWidget *tabs = d->Tabs();
        QCOMPARE(tabs->objectName(), QStringLiteral("Tabs"));
        QCOMPARE(tabs->count(), 4);
        const char *pages[][2] = {{"Application", "Application"}, {"BudgetTypes", "Budget Types"},
                                  {"User", "User"}, {"About", "About"}};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(tabs->widget(i)->objectName(), QLatin1String(pages[i][0]));
            QCOMPARE(tabs->tabText(i), QLatin1String(pages[i][1]));
        }
        QCOMPARE(tabs->currentIndex(), 0);

        const QPixmap emblem = control<QLabel>(d, "Image1")->pixmap();
        QCOMPARE(emblem.size(), QSize(128, 128));
        // Blue and green cylinders: both colours are there in quantity.
        const QImage picture = emblem.toImage();
        int blue = 0, green = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const QColor c = picture.pixelColor(x, y);
                blue += c.blue() > c.red() + 60 && c.blue() > c.green() + 40;
                green += c.green() > c.red() + 60 && c.green() > c.blue() + 40;
            }
        QVERIFY2(blue > 500 && green > 500, qPrintable(QStringLiteral("%1 blue, %2 green").arg(blue).arg(green)));
    }

    void slidersAndFocusOrder()
    {
        TPreferences *d = openDialog();
        struct Range {
            const char *name;
            int maximum, interval, thumb;
        };
        for (const Range &r : {Range{"TrackBar1", 100, 5, 15}, Range{"TrackBar2", 300, 10, 10},
                               Range{"TrackBar3", 1280, 64, 10}}) {
            QSlider *s = slider(d, r.name);
            QCOMPARE(s->orientation(), Qt::Horizontal);
            QCOMPARE(s->minimum(), 0);
            QCOMPARE(s->maximum(), r.maximum);
            QCOMPARE(s->tickPosition(), QSlider::TicksBelow);
            QCOMPARE(s->tickInterval(), r.interval);
            QCOMPARE(s->singleStep(), 1);
            QCOMPARE(s->pageStep(), 2);
            QCOMPARE(s->style()->pixelMetric(QStyle::PM_SliderThickness, nullptr, s), r.thumb);
        }
        // The arrow keys move by 1, the page keys by 2.
        QSlider *height = slider(d, "TrackBar2");
        QTest::keyClick(height, Qt::Key_Right);
        QCOMPARE(height->value(), 63);
        QTest::keyClick(height, Qt::Key_PageUp);
        QCOMPARE(height->value(), 65);
        QCOMPARE(edit(d, "Edit1")->text(), QStringLiteral("65"));

        // The window's own controls take the focus in this order.
        const QStringList order{"Tabs", "Button2", "Button3", "Button4", "Defaults"};
        QStringList seen;
        QWidget *w = d->Tabs();
        for (int i = 0; i < 100 && seen.size() < order.size(); ++i, w = w->nextInFocusChain())
            if (order.contains(w->objectName()) && !seen.contains(w->objectName()))
                seen << w->objectName();
        QCOMPARE(seen, order);
    }

    void browsersShowTheTwoPages()
    {
        TPreferences *d = openDialog();
        QCOMPARE(m_fakes.browsers.size(), size_t(2));
        QCOMPARE(&d->WebBrowser1(), static_cast<Browser *>(m_fakes.browsers[0]));
        QCOMPARE(m_fakes.browsers[0]->navigations, QStringList{PageUrl(Page::ManageTypes)});
        QCOMPARE(m_fakes.browsers[1]->navigations, QStringList{PageUrl(Page::ModUser)});
        for (FakeBrowser *browser : m_fakes.browsers) {
            QVERIFY(!browser->OnBeforeNavigate && !browser->OnDocumentComplete);
            QCOMPARE(browser->widget()->parentWidget()->size(), QSize(335, 285));
        }
        QCOMPARE(m_fakes.browsers[0]->widget()->parentWidget()->objectName(), QStringLiteral("WebBrowser1"));
        QCOMPARE(m_fakes.browsers[1]->widget()->parentWidget()->objectName(), QStringLiteral("WebBrowser2"));
    }

    void fillsFromTheSettingsInForce_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("sensitivity");
        QTest::addColumn<int>("topPos");
        QTest::addColumn<QString>("edit1");
        QTest::addColumn<QString>("edit2");
        QTest::addColumn<QList<int>>("sliders");
        QTest::addColumn<int>("choice");
        QTest::newRow("defaults") << 62 << 810 << 50 << 1 << "62" << "810" << QList<int>{50, 62, 810} << 1;
        QTest::newRow("within ranges") << 300 << 64 << 0 << 0 << "300" << "64" << QList<int>{0, 300, 64} << 0;
        QTest::newRow("above ranges") << 500 << 2000 << 500 << 5 << "300" << "1280" << QList<int>{100, 300, 1280}
                                      << 2;
        QTest::newRow("below ranges") << -5 << -7 << -20 << -3 << "0" << "0" << QList<int>{0, 0, 0} << -1;
        QTest::newRow("no choice") << 61 << 811 << 100 << -1 << "61" << "811" << QList<int>{100, 61, 811} << -1;
    }

    void fillsFromTheSettingsInForce()
    {
        QFETCH(int, height);
        QFETCH(int, width);
        QFETCH(int, sensitivity);
        QFETCH(int, topPos);
        m_bar.height = height;
        m_bar.width = width;
        m_bar.sensitivity = sensitivity;
        m_bar.topPos = topPos;
        TPreferences *d = openDialog();
        QTEST(edit(d, "Edit1")->text(), "edit1");
        QTEST(edit(d, "Edit2")->text(), "edit2");
        QTEST((QList<int>{slider(d, "TrackBar1")->value(), slider(d, "TrackBar2")->value(),
                          slider(d, "TrackBar3")->value()}),
              "sliders");
        QTEST(d->RadioGroup1ItemIndex(), "choice");
        // Filling the dialog changes nothing in the bar.
        QVERIFY(m_bar.log.isEmpty());
        QCOMPARE(m_bar.height, height);
    }

    void appliesTheHeightText_data()
    {
        QTest::addColumn<QString>("edit1");
        QTest::addColumn<QString>("edit2");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("log");
        const QStringList done{"sensitivity 40", "height 300", "width 810", "toppos 1", "place 1", "home", "glow"};
        QTest::newRow("300") << "300" << "810" << "Button4" << "" << done;
        QTest::newRow("blank before") << " 300" << "810" << "Button4" << "" << done;
        QTest::newRow("hexadecimal") << "0x12C" << "810" << "Button4" << "" << done;
        QTest::newRow("OK") << "300" << "810" << "Button2" << "" << done;
        QTest::newRow("blank after") << "300 " << "810" << "Button4" << "'300 ' is not a valid integer value"
                                     << QStringList{"sensitivity 40"};
        QTest::newRow("blank after, OK") << "300 " << "810" << "Button2" << "'300 ' is not a valid integer value"
                                         << QStringList{"sensitivity 40"};
        QTest::newRow("empty width") << "300" << "" << "Button4" << "'' is not a valid integer value"
                                     << QStringList{"sensitivity 40", "height 300"};
        QTest::newRow("empty width, OK") << "300" << "" << "Button2" << "'' is not a valid integer value"
                                         << QStringList{"sensitivity 40", "height 300"};
    }

    void appliesTheHeightText()
    {
        QFETCH(QString, edit1);
        QFETCH(QString, edit2);
        QFETCH(QString, button);
        QFETCH(QString, error);
        TPreferences *d = openDialog();
        slider(d, "TrackBar1")->setValue(40);
        edit(d, "Edit1")->setText(edit1);
        edit(d, "Edit2")->setText(edit2);
        click(d, qPrintable(button));
        QTEST(m_bar.log, "log");
        if (error.isEmpty()) {
            QVERIFY(m_reporter->messages.isEmpty());
            QCOMPARE(m_bar.height, 300);
            QVERIFY2(m_bar.savedBeforeHome, "the settings are saved before the bar goes home");
            QVERIFY(configLines().contains(QStringLiteral("Height=300")));
            QCOMPARE(d->isVisible(), button == QLatin1String("Button4"));
        } else {
            QCOMPARE(m_reporter->messages, QStringList{error});
            QVERIFY(!QFile::exists(configPath()));
            QVERIFY2(d->isVisible(), "the dialog stays open after a failed Apply");
        }
        // The dialog's controls keep what the user left in them.
        QCOMPARE(edit(d, "Edit1")->text(), edit1);
        QCOMPARE(edit(d, "Edit2")->text(), edit2);
    }

    void firstApplyWritesFiveLines()
    {
        QVERIFY(!QFile::exists(configPath()));
        TPreferences *d = openDialog();
        click(d, "Button4");
        QCOMPARE(m_bar.log, ApplyOrder);
        QCOMPARE(configLines(), (QStringList{"[Config]", "Width=810", "Height=62", "Sensitivity=50", "TopPos=1"}));
    }

    void aNewDialogShowsTheValuesInForce()
    {
        TPreferences *first = openDialog();
        edit(first, "Edit1")->setText(QStringLiteral("500"));
        click(first, "Button4");
        QCOMPARE(m_bar.height, 500);
        QVERIFY(configLines().contains(QStringLiteral("Height=500")));
        TPreferences *second = openDialog();
        QCOMPARE(edit(second, "Edit1")->text(), QStringLiteral("300"));
        click(second, "Button4");
        QCOMPARE(m_bar.height, 300);
        QVERIFY(configLines().contains(QStringLiteral("Height=300")));
        // The first dialog still shows what was typed into it.
        QCOMPARE(edit(first, "Edit1")->text(), QStringLiteral("500"));
    }

    void sizeSlidersFeedTheEditBoxesOnly()
    {
        TPreferences *d = openDialog();
        QSlider *width = slider(d, "TrackBar3");
        QStringList shown;
        for (int i = 0; i < 3; ++i) {
            width->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            shown << edit(d, "Edit2")->text();
        }
        QCOMPARE(shown, (QStringList{"811", "812", "813"}));
        QLineEdit *widthText = edit(d, "Edit2");
        widthText->selectAll();
        QTest::keyClicks(widthText, QStringLiteral("900"));
        QCOMPARE(width->value(), 813);
        click(d, "Button4");
        QCOMPARE(m_bar.width, 900);
        QCOMPARE(width->value(), 813);
        QVERIFY(configLines().contains(QStringLiteral("Width=900")));
    }

    void positionOutsideTheChoices_data()
    {
        QTest::addColumn<int>("topPos");
        QTest::addColumn<int>("marked");
        QTest::addColumn<QString>("stored");
        QTest::newRow("5 marks Right") << 5 << 2 << "TopPos=2";
        QTest::newRow("-3 marks none") << -3 << -1 << "TopPos=-1";
    }

    void positionOutsideTheChoices()
    {
        QFETCH(int, topPos);
        QFETCH(int, marked);
        m_bar.topPos = topPos;
        TPreferences *d = openDialog();
        QCOMPARE(d->RadioGroup1ItemIndex(), marked);
        click(d, "Button4");
        QCOMPARE(m_bar.topPos, marked);
        QVERIFY(m_bar.log.contains(QStringLiteral("place %1").arg(marked)));
        QTEST(configLines().value(4), "stored");
    }

    void sensitivityAboveTheRange()
    {
        m_bar.sensitivity = 500;
        TPreferences *d = openDialog();
        QCOMPARE(slider(d, "TrackBar1")->value(), 100);
        click(d, "Button3");
        QVERIFY(d->isHidden());
        QCOMPARE(m_bar.sensitivity, 500);
        QVERIFY(m_bar.log.isEmpty());
        QVERIFY(!QFile::exists(configPath()));
        click(openDialog(), "Button4");
        QCOMPARE(m_bar.sensitivity, 100);
        QVERIFY(configLines().contains(QStringLiteral("Sensitivity=100")));
    }

    void defaultsFromAWideBarAtTheLeft()
    {
        m_bar.width = 1000;
        m_bar.height = 80;
        m_bar.sensitivity = 20;
        m_bar.topPos = 0;
        TPreferences *d = openDialog();
        click(d, "Defaults");
        QCOMPARE(m_bar.log, ApplyOrder);
        QCOMPARE(configLines(), (QStringList{"[Config]", "Width=810", "Height=62", "Sensitivity=50", "TopPos=1"}));
        QVERIFY(d->isVisible());
        QCOMPARE(edit(d, "Edit1")->text(), QStringLiteral("62"));
        QCOMPARE(edit(d, "Edit2")->text(), QStringLiteral("810"));
        QCOMPARE(slider(d, "TrackBar3")->value(), 810);
        QCOMPARE(d->RadioGroup1ItemIndex(), 1);
    }

    void twoDialogsKeepTheirOwnControls()
    {
        TPreferences *first = openDialog();
        TPreferences *second = openDialog();
        QVERIFY(first != second);
        slider(first, "TrackBar3")->setValue(1000);
        edit(first, "Edit1")->setText(QStringLiteral("99"));
        first->SetRadioGroup1ItemIndex(0);
        QCOMPARE(edit(second, "Edit2")->text(), QStringLiteral("810"));
        QCOMPARE(edit(second, "Edit1")->text(), QStringLiteral("62"));
        QCOMPARE(second->RadioGroup1ItemIndex(), 1);
        QCOMPARE(m_fakes.browsers.size(), size_t(4));
    }

    void cancelAndTheCloseBoxOnlyHide()
    {
        TPreferences *d = openDialog();
        slider(d, "TrackBar1")->setValue(5);
        slider(d, "TrackBar2")->setValue(200);
        slider(d, "TrackBar3")->setValue(100);
        click(d, "Button3");
        QVERIFY(d->isHidden());
        QVERIFY(m_bar.log.isEmpty());
        QVERIFY(!QFile::exists(configPath()));
        TPreferences *next = openDialog();
        QCOMPARE(edit(next, "Edit1")->text(), QStringLiteral("62"));
        QCOMPARE(slider(next, "TrackBar1")->value(), 50);
        QPointer<TPreferences> alive(next);
        QVERIFY(next->close());
        QVERIFY(alive && next->isHidden());
    }

    void failedWriteKeepsTheFileAndStopsApply()
    {
        const QByteArray before = "[Config]\nWidth=700\nHeight=40\n[Other]\nKey=1\n";
        writeConfig(before);
        QVERIFY(QFile(configPath()).setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        TPreferences *d = openDialog();
        edit(d, "Edit1")->setText(QStringLiteral("90"));
        click(d, "Button2");
        QCOMPARE(m_reporter->messages, QStringList{QStringLiteral("Unable to write to ") + configPath()});
        // In memory and on screen the new values are in force; nothing after the save ran.
        QCOMPARE(m_bar.log, (QStringList{"sensitivity 50", "height 90", "width 810", "toppos 1", "place 1"}));
        QVERIFY(d->isVisible());
        QFile file(configPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }

    void checkNowAndTheMakersPage()
    {
        TPreferences *d = openDialog();
        click(d, "Button1");
        QCOMPARE(m_fakes.shell.programs.size(), size_t(1));
        QCOMPARE(m_fakes.shell.programs[0].owner, static_cast<QWidget *>(d));
        QCOMPARE(m_fakes.shell.programs[0].file, CheckNowUpdaterPath());
        QCOMPARE(m_fakes.shell.programs[0].parameter, QStringLiteral("/checknow"));
        QVERIFY(m_bar.log.isEmpty());

        d->Tabs()->setCurrentIndex(3);
        QTest::mouseClick(control<QLabel>(d, "Label11"), Qt::LeftButton);
        QCOMPARE(m_fakes.shell.urls, QStringList{QStringLiteral(ZORVEL_MAKER_URL)});
        QVERIFY(m_bar.log.isEmpty() && m_reporter->messages.isEmpty());
    }
};

QTEST_MAIN(TestPreferences)
#include "test_preferences.moc"
