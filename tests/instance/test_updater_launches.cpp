// The updater launches: once at start-up, at every tick of the bar's Update
// timer, and the Check Now path built from the current directory.
#include "FakeDesktop.h"
#include "TForm1.h"
#include "UpdaterLaunch.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class TestUpdaterLaunches : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;
    FakeDesktop m_fakes;
    QStringList m_log;

    std::unique_ptr<TForm1> makeBar()
    {
        m_fakes.log = &m_log;
        m_fakes.shell.log = &m_log;
        return std::make_unique<TForm1>(
            m_fakes.desktop(), MouseHookCalls{[this] { m_log << QStringLiteral("hook"); }, [] {}});
    }

    void expectSilentLaunches(const TForm1 &bar, std::size_t count)
    {
        QCOMPARE(m_fakes.shell.programs.size(), count);
        for (const FakeShell::Launch &launch : m_fakes.shell.programs) {
            QCOMPARE(launch.owner, &bar);
            QCOMPARE(launch.file, QStringLiteral("updater"));
            QCOMPARE(launch.parameter, QStringLiteral("/silentall"));
        }
    }

private slots:
    void init()
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        m_fakes.shell.programs.clear();
        m_log.clear();
    }

    void startUpLaunchesOnceAfterTheHook()
    {
        auto bar = makeBar();
        expectSilentLaunches(*bar, 1);
        QCOMPARE(m_log.indexOf(QStringLiteral("open updater /silentall")), m_log.indexOf(QStringLiteral("hook")) + 1);
    }

    void everyTickLaunchesAgain()
    {
        auto bar = makeBar();
        QCOMPARE(bar->Update.interval(), 60000);
        QVERIFY(bar->Update.isActive());
        bar->UpdateTimer();
        bar->UpdateTimer();
        expectSilentLaunches(*bar, 3);
        // The timer is what calls it: one due tick launches once more.
        bar->Update.setSingleShot(true);
        bar->Update.start(0);
        QTRY_COMPARE(m_fakes.shell.programs.size(), std::size_t(4));
        expectSilentLaunches(*bar, 4);
    }

    void checkNowNamesTheUpdaterInTheCurrentDirectory_data()
    {
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QString>("expected");
        QTest::newRow("root: two slashes, passed on as they are") << QStringLiteral("/") << QStringLiteral("//updater");
        QTest::newRow("a folder") << QDir::tempPath() << QDir::tempPath() + QStringLiteral("/updater");
    }

    void checkNowNamesTheUpdaterInTheCurrentDirectory()
    {
        QFETCH(QString, directory);
        QFETCH(QString, expected);
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(directory));
        const QString path = CheckNowUpdaterPath();
        QDir::setCurrent(before);
        QCOMPARE(path, expected);
    }
};

QTEST_MAIN(TestUpdaterLaunches)
#include "test_updater_launches.moc"
