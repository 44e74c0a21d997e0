#include "UpdaterLock.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestUpdaterLock : public QObject {
    Q_OBJECT
private slots:
    void letsOneCopyAtWork();
    void reportsALockFileItCannotOpen();
};

void TestUpdaterLock::letsOneCopyAtWork()
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/updater.lock";
    auto first = std::make_unique<UpdaterLock>(path);
    QCOMPARE(first->result(), UpdaterLock::Result::Held);
    {
        // A second open of the file is what a second process does.
        const UpdaterLock second(path);
        QCOMPARE(second.result(), UpdaterLock::Result::Busy);
        QVERIFY(second.error().isEmpty());
    }
    QCOMPARE(UpdaterLock(path).result(), UpdaterLock::Result::Busy); // a refused try does not free it
    first.reset();
    QCOMPARE(UpdaterLock(path).result(), UpdaterLock::Result::Held);
}

void TestUpdaterLock::reportsALockFileItCannotOpen()
{
    QTemporaryDir dir;
    const UpdaterLock lock(dir.path() + "/missing/updater.lock");
    QCOMPARE(lock.result(), UpdaterLock::Result::Failed);
    QVERIFY(lock.error().contains("updater.lock"));
}

QTEST_GUILESS_MAIN(TestUpdaterLock)
#include "test_updater_lock.moc"
