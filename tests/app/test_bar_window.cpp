// The bar's start-up, placement, version label and buttons, with a fake browser and screen.
#include "FakeDesktop.h"
#include "TForm1.h"
#include "WebAddresses.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

class TestBarWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;
    FakeDesktop m_fakes;
    QStringList m_log;

    std::unique_ptr<TForm1> makeBar()
    {
        m_fakes.log = &m_log;
        MouseHookCalls hook{[this] {
                                m_log << QStringLiteral("hook");
                                ::StrokeCount = 99; // counted during creation, discarded at its end
                            },
                            [this] { m_log << QStringLiteral("unhook"); }};
        auto bar = std::make_unique<TForm1>(m_fakes.desktop(), hook);
        Form1 = bar.get();
        return bar;
    }

    void writeConfig(const QByteArray &text)
    {
        QDir().mkpath(m_config.filePath(QStringLiteral("zorvel")));
        QFile file(m_config.filePath(QStringLiteral("zorvel/config.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

private slots:
    void init()
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        QFile::remove(m_config.filePath(QStringLiteral("zorvel/config.ini")));
        m_log.clear();
        m_fakes.screen.width = 1280;
    }

    void startsWithDefaultsAndWritesNothing()
    {
        {
            auto bar = makeBar();
            QCOMPARE(bar->geometry(), QRect(235, 0, 810, 62));
            QCOMPARE(::Sensitivity, 50);
            QCOMPARE(::TopPos, 1);
            QCOMPARE(bar->BlendValue(), 255);
            QVERIFY(bar->HideTimer.isActive());
            QCOMPARE(bar->HideTimer.interval(), 10000);
            QVERIFY(bar->Update.isActive());
            QVERIFY(!bar->Glow.isActive() && !bar->Fade.isActive());
            QVERIFY(bar->windowFlags() & Qt::WindowStaysOnTopHint);
            QVERIFY(bar->windowFlags() & Qt::FramelessWindowHint);
            QCOMPARE(bar->windowTitle(), QStringLiteral("Zorvel"));
        }
        QVERIFY(!QFile::exists(m_config.filePath(QStringLiteral("zorvel/config.ini"))));
        QVERIFY(!QDir(m_config.filePath(QStringLiteral("zorvel"))).exists());
    }

    void startUpRunsInOrder()
    {
        writeConfig("[Config]\nWidth=1000\nTopPos=2\n");
        auto bar = makeBar();
        // Home page first, then the hook; the settings come before the placement,
        // which used the loaded width; the count is cleared last.
        QCOMPARE(m_log.value(0), QStringLiteral("navigate ") + HomeUrl());
        QCOMPARE(m_log.value(1), QStringLiteral("hook"));
        QCOMPARE(bar->Left(), 1280 - 1000);
        QCOMPARE(::StrokeCount, 0);
        bar.reset();
        QCOMPARE(m_log.last(), QStringLiteral("unhook"));
    }

    void placesFromConfiguredSettings_data()
    {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("hex width, blank height, right") << QByteArray("[config]\nWidth=0x400\nHeight= 80\nTopPos=2\n") << QRect(256, 0, 1024, 80);
        QTest::newRow("unknown index keeps Left 279") << QByteArray("[Config]\nTopPos=-1\n") << QRect(279, 0, 810, 62);
        QTest::newRow("index 3 keeps Left 279") << QByteArray("[Config]\nTopPos=3\n") << QRect(279, 0, 810, 62);
        QTest::newRow("left") << QByteArray("[Config]\nTopPos=0\n") << QRect(0, 0, 810, 62);
        QTest::newRow("wider than the screen, centred") << QByteArray("[Config]\nWidth=1536\n") << QRect(-128, 0, 1536, 62);
        QTest::newRow("binary garbage gives defaults") << QByteArray("\x00\xff[Config\x01\nWidth\x00=12\n", 20) << QRect(235, 0, 810, 62);
    }

    void placesFromConfiguredSettings()
    {
        QFETCH(QByteArray, config);
        QFETCH(QRect, geometry);
        writeConfig(config);
        auto bar = makeBar();
        QCOMPARE(bar->geometry(), geometry);
    }

    void placeBarFloorsEachHalf_data()
    {
        QTest::addColumn<int>("screen");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("left");
        QTest::newRow("1024 centred") << 1024 << 810 << 1 << 107;
        QTest::newRow("1280 centred") << 1280 << 810 << 1 << 235;
        QTest::newRow("1366 / 811 floors each half") << 1366 << 811 << 1 << 278;
        QTest::newRow("right") << 1280 << 810 << 2 << 470;
        QTest::newRow("left") << 1280 << 810 << 0 << 0;
        QTest::newRow("wider, right") << 1024 << 1280 << 2 << -256;
        QTest::newRow("wider, centred") << 1024 << 1280 << 1 << -128;
        QTest::newRow("other index unchanged") << 1280 << 810 << 7 << 33;
    }

    void placeBarFloorsEachHalf()
    {
        QFETCH(int, screen);
        QFETCH(int, width);
        QFETCH(int, index);
        QFETCH(int, left);
        auto bar = makeBar();
        m_fakes.screen.width = screen;
        bar->SetWidth(width);
        bar->SetLeft(33);
        bar->PlaceBar(index);
        QCOMPARE(bar->Left(), left);
        QCOMPARE(bar->Top(), 0);
        QCOMPARE(bar->Width(), width);
    }

    void cropsTheBrowserAtEverySize()
    {
        auto bar = makeBar();
        for (QSize size : {QSize(810, 62), QSize(802, 67), QSize(1024, 300), QSize(200, 20)}) {
            bar->SetWidth(size.width());
            bar->SetHeight(size.height());
            auto *clip = bar->findChild<QWidget *>(QStringLiteral("Panel2"));
            QWidget *view = m_fakes.browsers.back()->widget();
            const QRect inClip(view->mapTo(clip, QPoint(0, 0)), view->size());
            // 19 px left, 2 top, 21 right and 4 bottom of the browser stay hidden.
            QCOMPARE(clip->geometry(), QRect(1, 1, size.width() - 2, size.height() - 2));
            QCOMPARE(inClip, QRect(-19, -2, clip->width() + 40, clip->height() + 6));
        }
        bar->SetWidth(810);
        bar->SetHeight(62);
        QCOMPARE(bar->findChild<QWidget *>(QStringLiteral("Panel3"))->pos(), QPoint(757, 2));
        QCOMPARE(bar->findChild<QWidget *>(QStringLiteral("Panel5"))->pos(), QPoint(773, 43));
    }

    void readsTheVersionFromTheProgramFile()
    {
        QCOMPARE(ReadVersionString(QStringLiteral(ZORVEL_EXECUTABLE), "%d.%d.%d"),
                 QStringLiteral(ZORVEL_VERSION_TEXT));
        QCOMPARE(ReadVersionString(QStringLiteral("/no/such/zorvel"), "%d.%d.%d"), QString());
        QTemporaryDir dir;
        QFile plain(dir.filePath(QStringLiteral("zorvel")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.write("an executable with no stamp: ZORVEL-FILE-VERSION=1.2;");
        plain.close();
        QCOMPARE(ReadVersionString(plain.fileName(), "%d.%d.%d"), QString());
        // The label: the stamp of the zorvel beside this test program.
        auto bar = makeBar();
        QCOMPARE(bar->findChild<QLabel *>(QStringLiteral("Panel4"))->text(),
                 QStringLiteral("Zorvel ") + QStringLiteral(ZORVEL_VERSION_TEXT));
    }

    void buttonsDoTheirWork()
    {
        auto bar = makeBar();
        FakeBrowser *browser = m_fakes.browsers.back();
        bar->findChild<QToolButton *>(QStringLiteral("SpeedButton5"))->click();
        QCOMPARE(browser->navigations.last(), HomeUrl() + QStringLiteral("Logout.aspx"));
        QCOMPARE(bar->findChild<QToolButton *>(QStringLiteral("SpeedButton5"))->toolTip(), QStringLiteral("Logout"));
        QTest::mouseClick(bar->findChild<QLabel *>(QStringLiteral("Panel4")), Qt::LeftButton);
        QCOMPARE(m_fakes.shell.urls, QStringList{QStringLiteral(ZORVEL_ARTICLE_URL)});
        const QStringList hints{QStringLiteral("Hide"), QStringLiteral("Configure"), QStringLiteral("Exit"),
                                QStringLiteral("Logout"), QStringLiteral("Add Budget Types")};
        for (const char *name : {"SpeedButton2", "SpeedButton3", "SpeedButton1", "SpeedButton5", "SpeedButton4"})
            QVERIFY(hints.contains(bar->findChild<QToolButton *>(QLatin1String(name))->toolTip()));
    }
};

QTEST_MAIN(TestBarWindow)
#include "test_bar_window.moc"
