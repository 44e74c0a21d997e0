// The single-instance guard on the bar: a refused start tells the user, brings
// the earlier copy forward, asks to quit, and still runs its start-up to the end;
// the default message box; a quit request that outlives early event handling.
#include "FakeDesktop.h"
#include "InstanceGuard.h"
#include "TForm1.h"
#include "WebAddresses.h"

#include <QAbstractButton>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {
class RecordingGuardDesktop : public InstanceGuardDesktop {
public:
    explicit RecordingGuardDesktop(QStringList &log) : m_log(log) { setInstanceGuardDesktop(this); }
    ~RecordingGuardDesktop() override { setInstanceGuardDesktop(nullptr); }
    void ShowAlreadyStarted(const QString &title) override { m_log << QStringLiteral("box ") + title; }
    void ActivateEarlierCopy(const QString &title) override { m_log << QStringLiteral("activate ") + title; }
    void RequestQuit() override { m_log << QStringLiteral("quit"); }

private:
    QStringList &m_log;
};
}

class TestInstanceGuard : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;
    QStringList m_log;

private slots:
    void init()
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        QCoreApplication::setApplicationName(QStringLiteral("zorvel"));
        m_log.clear();
        PreviousInstance = false;
    }

    void refusedStartTellsActivatesQuitsAndStillStartsUp()
    {
        QDir().mkpath(m_config.filePath(QStringLiteral("zorvel")));
        const QString configPath = m_config.filePath(QStringLiteral("zorvel/config.ini"));
        const QByteArray config = "[Config]\nWidth=1000\nSensitivity=7\n";
        {
            QFile file(configPath);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(config);
        }
        RecordingGuardDesktop guardDesktop(m_log);
        FakeDesktop fakes;
        fakes.log = &m_log;
        fakes.shell.log = &m_log;
        PreviousInstance = true;
        {
            TForm1 bar(fakes.desktop(), MouseHookCalls{[this] { m_log << QStringLiteral("hook"); },
                                                       [this] { m_log << QStringLiteral("unhook"); }});
            // The guard acts before FormCreate, which then runs in full.
            const QStringList expected{QStringLiteral("box zorvel"), QStringLiteral("activate zorvel"),
                                       QStringLiteral("quit"), QStringLiteral("navigate ") + HomeUrl(),
                                       QStringLiteral("hook"), QStringLiteral("open updater /silentall")};
            QCOMPARE(m_log, expected);
            QCOMPARE(bar.Width(), 1000);
            QCOMPARE(::Sensitivity, 7);
            QCOMPARE(::StrokeCount, 0);
            QVERIFY(bar.Update.isActive());
            QVERIFY(bar.HideTimer.isActive());
        }
        QCOMPARE(m_log.last(), QStringLiteral("unhook"));
        QFile file(configPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), config);
    }

    void actsOnlyWhenEnabledAndAnEarlierCopyHeldTheLock_data()
    {
        QTest::addColumn<bool>("previous");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("expected");
        const QStringList none;
        QTest::newRow("first start") << false << true << QStringLiteral("zorvel") << none;
        QTest::newRow("disabled") << true << false << QStringLiteral("zorvel") << none;
        QTest::newRow("refused") << true << true << QStringLiteral("zorvel")
                                 << QStringList{"box zorvel", "activate zorvel", "quit"};
        // ZORVEL shares zorvel's lock; its title differs in the first letter only.
        QTest::newRow("upper-case file name") << true << true << QStringLiteral("Zorvel")
                                              << QStringList{"box Zorvel", "activate Zorvel", "quit"};
    }

    void actsOnlyWhenEnabledAndAnEarlierCopyHeldTheLock()
    {
        QFETCH(bool, previous);
        QFETCH(bool, enabled);
        QFETCH(QString, title);
        QFETCH(QStringList, expected);
        RecordingGuardDesktop guardDesktop(m_log);
        QCoreApplication::setApplicationName(title);
        PreviousInstance = previous;
        InstanceGuard guard;
        guard.Enabled = enabled;
        guard.Act();
        QCOMPARE(m_log, expected);
    }

    void defaultMessageBox_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Esc") << int(Qt::Key_Escape);
    }

    void defaultMessageBox()
    {
        QFETCH(int, key);
        const auto box = makeAlreadyStartedBox(QStringLiteral("zorvel"));
        QCOMPARE(box->windowTitle(), QStringLiteral("Information"));
        QCOMPARE(box->icon(), QMessageBox::Information);
        QCOMPARE(box->text(), QStringLiteral("\"zorvel\" was already started..."));
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QCOMPARE(box->windowModality(), Qt::ApplicationModal);
        QCOMPARE(box->parentWidget(), nullptr);
        QCOMPARE(box->buttons().size(), 1);
        QAbstractButton *ok = box->buttons().first();
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QCOMPARE(box->defaultButton(), ok);
        QCOMPARE(box->escapeButton(), ok);

        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        QTest::keyClick(box.get(), Qt::Key(key));
        QCOMPARE(box->clickedButton(), ok);
        QVERIFY(!box->isVisible());
    }

    void quitRequestOutlivesEventsHandledBeforeTheLoop()
    {
        postQuitRequest();
        // Start-up code that handles pending events before the loop starts.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QTimer lost; // ends the loop with another code if the request was lost
        lost.setSingleShot(true);
        connect(&lost, &QTimer::timeout, [] { QCoreApplication::exit(3); });
        lost.start(20000);
        QCOMPARE(QCoreApplication::exec(), 0);
    }
};

QTEST_MAIN(TestInstanceGuard)
#include "test_instance_guard.moc"
