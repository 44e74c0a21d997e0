#include "UpdaterState.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestUpdaterState : public QObject {
    Q_OBJECT
private slots:
    void keepsWhatItSaved();
    void readsAnUnusableFileAsNothingKnown();
    void findsItsFolderUnderTheStateDirectory_data();
    void findsItsFolderUnderTheStateDirectory();
    void createsItsFolder();
};

void TestUpdaterState::keepsWhatItSaved()
{
    QTemporaryDir dir;
    const UpdaterStateStore store(dir.path());
    UpdaterState state;
    state.lastCheck = QDateTime(QDate(2024, 5, 1), QTime(12, 0, 5), Qt::UTC);
    state.announced = FileVersion{1, 0, 0, 3};
    QString error;
    QVERIFY2(store.save(state, &error), qPrintable(error));
    const UpdaterState read = store.load();
    QCOMPARE(read.lastCheck, state.lastCheck);
    QVERIFY(!read.lastFailure.isValid());
    QCOMPARE(read.announced, state.announced);

    state.lastFailure = state.lastCheck.addSecs(90);
    state.announced.reset();
    QVERIFY(store.save(state, &error));
    QCOMPARE(store.load().lastFailure, state.lastFailure);
    QVERIFY(!store.load().announced);
}

void TestUpdaterState::readsAnUnusableFileAsNothingKnown()
{
    QTemporaryDir dir;
    const UpdaterStateStore store(dir.path());
    QVERIFY(!store.load().lastCheck.isValid()); // no file yet
    QFile file(store.statePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("checked=yesterday\nannounced=1.0\n\0\xff garbage\nfailed\n");
    file.close();
    const UpdaterState state = store.load();
    QVERIFY(!state.lastCheck.isValid());
    QVERIFY(!state.lastFailure.isValid());
    QVERIFY(!state.announced);
}

void TestUpdaterState::findsItsFolderUnderTheStateDirectory_data()
{
    QTest::addColumn<QByteArray>("stateHome");
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<QString>("folder"); // empty: none
    QTest::newRow("state home") << QByteArray("/s/state") << QByteArray("/h") << "/s/state/zorvel";
    QTest::newRow("no state home") << QByteArray() << QByteArray("/h") << "/h/.local/state/zorvel";
    QTest::newRow("relative state home ignored") << QByteArray("rel") << QByteArray("/h") << "/h/.local/state/zorvel";
    QTest::newRow("nothing") << QByteArray() << QByteArray() << QString();
}

void TestUpdaterState::findsItsFolderUnderTheStateDirectory()
{
    QFETCH(QByteArray, stateHome);
    QFETCH(QByteArray, home);
    QFETCH(QString, folder);
    const QByteArray oldState = qgetenv("XDG_STATE_HOME"), oldHome = qgetenv("HOME");
    qputenv("XDG_STATE_HOME", stateHome);
    qputenv("HOME", home);
    QString error;
    const QString found = UpdaterStateStore::defaultFolder(&error);
    qputenv("XDG_STATE_HOME", oldState);
    qputenv("HOME", oldHome);
    QCOMPARE(found, folder);
    QCOMPARE(error.isEmpty(), !folder.isEmpty());
}

void TestUpdaterState::createsItsFolder()
{
    QTemporaryDir dir;
    const UpdaterStateStore store(dir.path() + "/state/zorvel");
    QString error;
    QVERIFY(store.ensureFolder(&error));
    QVERIFY(store.save(UpdaterState{}, &error));
    QVERIFY(QFile::exists(store.statePath()));

    QFile blocker(dir.path() + "/file");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    const UpdaterStateStore blocked(dir.path() + "/file/zorvel");
    QVERIFY(!blocked.ensureFolder(&error));
    QVERIFY(error.contains("cannot create"));
}

QTEST_GUILESS_MAIN(TestUpdaterState)
#include "test_updater_state.moc"
