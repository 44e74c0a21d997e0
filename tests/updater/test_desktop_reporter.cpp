#include "DesktopReporter.h"

#include <QDBusConnection>
#include <QMutex>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <QVariantMap>

// The desktop's notification service, on a private session bus, answering from a
// thread of its own while the reporter waits for it.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList capabilities;
    QStringList received; // "app | summary | body"

    QStringList receivedSoFar()
    {
        QMutexLocker lock(&m_mutex);
        return received;
    }

public slots:
    Q_SCRIPTABLE QStringList GetCapabilities()
    {
        QMutexLocker lock(&m_mutex);
        return capabilities;
    }
    Q_SCRIPTABLE uint Notify(const QString &app, uint, const QString &, const QString &summary, const QString &body,
                             const QStringList &, const QVariantMap &, int)
    {
        QMutexLocker lock(&m_mutex);
        received << app + " | " + summary + " | " + body;
        return uint(received.size());
    }

private:
    QMutex m_mutex;
};

class TestDesktopReporter : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void announcesThroughTheNotificationService_data();
    void announcesThroughTheNotificationService();
    void saysSoWhenNothingCanTellTheUser();

private:
    QProcess m_bus;
    QThread m_serviceThread;
    FakeNotifications *m_service = nullptr;
};

void TestDesktopReporter::initTestCase()
{
    m_bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    if (!m_bus.waitForStarted(10000))
        QSKIP("dbus-daemon is not available");
    QVERIFY(m_bus.waitForReadyRead(10000));
    const QByteArray address = m_bus.readLine().trimmed();
    QVERIFY(!address.isEmpty());
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);

    m_service = new FakeNotifications;
    m_service->moveToThread(&m_serviceThread);
    connect(&m_serviceThread, &QThread::finished, m_service, &QObject::deleteLater);
    m_serviceThread.start();
    QDBusConnection service = QDBusConnection::connectToBus(QString::fromLatin1(address), "fake-notifications");
    QVERIFY(service.isConnected());
    QVERIFY(service.registerObject("/org/freedesktop/Notifications", m_service,
                                   QDBusConnection::ExportScriptableSlots));
}

void TestDesktopReporter::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus("fake-notifications");
    m_serviceThread.quit();
    m_serviceThread.wait();
    m_bus.kill();
    m_bus.waitForFinished();
}

void TestDesktopReporter::announcesThroughTheNotificationService_data()
{
    QTest::addColumn<QStringList>("capabilities");
    QTest::addColumn<QString>("body");
    QTest::newRow("plain text") << QStringList{"body"} << "You have 0.9.2. Get it from: http://x/?a=1&b=<2>";
    // A server that reads markup must not read the manifest's address as markup.
    QTest::newRow("markup") << QStringList{"body", "body-markup"}
                            << "You have 0.9.2. Get it from: http://x/?a=1&amp;b=&lt;2&gt;";
}

void TestDesktopReporter::announcesThroughTheNotificationService()
{
    QFETCH(QStringList, capabilities);
    QFETCH(QString, body);
    QDBusConnection service = QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"),
                                                            "fake-notifications");
    QVERIFY(service.registerService("org.freedesktop.Notifications"));
    m_service->capabilities = capabilities;
    const int before = m_service->receivedSoFar().size();

    DesktopReporter reporter;
    QVERIFY(reporter.announce("Zorvel 1.0.0 is available", "You have 0.9.2. Get it from: http://x/?a=1&b=<2>"));
    const QStringList received = m_service->receivedSoFar();
    QCOMPARE(received.size(), before + 1);
    QCOMPARE(received.last(), "Zorvel Updater | Zorvel 1.0.0 is available | " + body);
    QVERIFY(service.unregisterService("org.freedesktop.Notifications"));
}

void TestDesktopReporter::saysSoWhenNothingCanTellTheUser()
{
    // No notification service on the bus, and no display for a box (a GUI-less test).
    const int before = m_service->receivedSoFar().size();
    DesktopReporter reporter;
    QVERIFY(!reporter.announce("Zorvel 1.0.0 is available", "You have 0.9.2."));
    QCOMPARE(m_service->receivedSoFar().size(), before);
}

QTEST_GUILESS_MAIN(TestDesktopReporter)
#include "test_desktop_reporter.moc"
