#include "Updater.h"
#include "UpdaterFakes.h"
#include "UpdaterLock.h"
#include "UpdaterState.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {
const QUrl ManifestAddress("http://127.0.0.1:8470/Brenvo/updates/latest.json");
const qint64 Minute = 60, Hour = 3600, Day = 24 * Hour;
const QByteArray Version110 = R"({"version":"1.1.0.0","download":"https://zorvel.example.org/get/1.1"})";
}

// One updater with fakes around it, a stamped zorvel file and a state folder of its own.
struct UpdaterFixture {
    QTemporaryDir dir;
    FakeClock clock;
    FakeManifestSource source;
    FakeReporter reporter;
    QStringList errors;
    int runtimeStarts = 0;

    UpdaterFixture() { stampZorvel("ZORVEL-FILE-VERSION=0.9.2.0;"); }
    QString zorvelPath() const { return dir.path() + "/zorvel"; }
    QString stateFolder() const { return dir.path() + "/state/zorvel"; }
    UpdaterStateStore store() const { return UpdaterStateStore(stateFolder()); }

    void stampZorvel(const QByteArray &contents)
    {
        QFile file(zorvelPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\x7f" "ELF...binary...");
        file.write(contents);
        file.write("...more binary");
    }

    Updater updater()
    {
        return Updater(UpdaterParts{clock, source, reporter, ManifestAddress, zorvelPath(), stateFolder(), {},
                                    [this] { ++runtimeStarts; }, [this](const QString &line) { errors << line; }});
    }
    int silentAll() { return updater().runSilentAll(); }
    int checkNow() { return updater().runCheckNow(); }
};

class TestUpdater : public QObject {
    Q_OBJECT
private slots:
    void quietCheckAnnouncesANewerVersionOnce();
    void quietCheckGoesOutOnceADay();
    void quietCheckLeavesAtOnceWhileAnotherCopyWorks();
    void quietCheckStaysQuietWhenUpToDate_data();
    void quietCheckStaysQuietWhenUpToDate();
    void quietCheckFailuresAreOneLineAndRetriedWithinTheHour_data();
    void quietCheckFailuresAreOneLineAndRetriedWithinTheHour();
    void quietCheckNeedsZorvelsVersionBeforeAskingTheServer_data();
    void quietCheckNeedsZorvelsVersionBeforeAskingTheServer();
    void unannouncedNewsIsToldAtTheNextCheck();
    void quietCheckWithoutAStateFolderFails();
    void checkNowShowsTheResult_data();
    void checkNowShowsTheResult();
    void checkNowIgnoresTheDayButRecordsItsCheck();
    void checkNowExplainsAFailedCheck_data();
    void checkNowExplainsAFailedCheck();
    void checkNowRunsBesideAQuietCopy();
};

void TestUpdater::quietCheckAnnouncesANewerVersionOnce()
{
    UpdaterFixture f;
    QCOMPARE(f.silentAll(), 0);
    QCOMPARE(f.source.asked, QList<QUrl>{ManifestAddress});
    QCOMPARE(f.reporter.announced,
             QStringList{"Zorvel 1.0.0 is available | You have 0.9.2. Get it from: https://zorvel.example.org/get"});
    QCOMPARE(f.store().load().announced, (FileVersion{1, 0, 0, 0}));
    QVERIFY(f.errors.isEmpty());

    f.clock.advance(Day); // the next day: the same news is not told again
    QCOMPARE(f.silentAll(), 0);
    QCOMPARE(f.source.asked.size(), 2);
    QCOMPARE(f.reporter.announced.size(), 1);

    f.clock.advance(Day); // a version newer still is news again
    f.source.serve(Version110);
    QCOMPARE(f.silentAll(), 0);
    QCOMPARE(f.reporter.announced.size(), 2);
    QVERIFY(f.reporter.announced.last().startsWith("Zorvel 1.1.0 is available"));
    QVERIFY(f.reporter.results.isEmpty()); // the quiet check never opens a result dialog
}

void TestUpdater::quietCheckGoesOutOnceADay()
{
    UpdaterFixture f;
    f.source.serve(R"({"version":"0.9.2.0","download":"https://zorvel.example.org/get"})");
    QCOMPARE(f.silentAll(), 0);
    const QDateTime first = f.clock.time;
    // Started every minute by the bar: none of these reaches the network or starts Qt.
    for (qint64 at : {Minute, Hour, 23 * Hour, Day - 1}) {
        f.clock.time = first.addSecs(at);
        QCOMPARE(f.silentAll(), 0);
    }
    QCOMPARE(f.source.asked.size(), 1);
    QCOMPARE(f.runtimeStarts, 1);

    f.clock.time = first.addSecs(Day);
    QCOMPARE(f.silentAll(), 0);
    QCOMPARE(f.source.asked.size(), 2);
    QCOMPARE(f.store().load().lastCheck, f.clock.time);
    QVERIFY(f.reporter.announced.isEmpty());
    QVERIFY(f.errors.isEmpty());
}

void TestUpdater::quietCheckLeavesAtOnceWhileAnotherCopyWorks()
{
    UpdaterFixture f;
    QString error;
    QVERIFY(f.store().ensureFolder(&error));
    {
        const UpdaterLock running(f.store().lockPath());
        QCOMPARE(running.result(), UpdaterLock::Result::Held);
        QCOMPARE(f.silentAll(), 0);
        QVERIFY(f.source.asked.isEmpty());
        QCOMPARE(f.runtimeStarts, 0);
        QVERIFY(f.reporter.announced.isEmpty());
        QVERIFY(f.errors.isEmpty()); // the normal case: nothing to say
    }
    QCOMPARE(f.silentAll(), 0); // the other copy has ended
    QCOMPARE(f.source.asked.size(), 1);
}

void TestUpdater::quietCheckStaysQuietWhenUpToDate_data()
{
    QTest::addColumn<QByteArray>("manifest");
    QTest::addColumn<bool>("told");
    QTest::newRow("same") << QByteArray(R"({"version":"0.9.2.0","download":"http://x/"})") << false;
    QTest::newRow("older") << QByteArray(R"({"version":"0.9.1.9","download":"http://x/"})") << false;
    QTest::newRow("0.10 follows 0.9") << QByteArray(R"({"version":"0.10.0.0","download":"http://x/"})") << true;
}

void TestUpdater::quietCheckStaysQuietWhenUpToDate()
{
    QFETCH(QByteArray, manifest);
    QFETCH(bool, told);
    UpdaterFixture f;
    f.source.serve(manifest);
    QCOMPARE(f.silentAll(), 0);
    QCOMPARE(f.reporter.announced.size(), told ? 1 : 0);
    QVERIFY(f.store().load().lastCheck.isValid());
}

void TestUpdater::quietCheckFailuresAreOneLineAndRetriedWithinTheHour_data()
{
    QTest::addColumn<bool>("reachable");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("error");
    QTest::newRow("unreachable") << false << QByteArray()
                                 << "the update server at x could not be reached: Connection refused";
    QTest::newRow("not json") << true << QByteArray("<html>portal</html>")
                              << "the update server at http://127.0.0.1:8470/Brenvo/updates/latest.json sent a bad "
                                 "manifest: not JSON";
    QTest::newRow("no version") << true << QByteArray(R"({"download":"http://x/"})") << "sent a bad manifest: no \"version\"";
}

void TestUpdater::quietCheckFailuresAreOneLineAndRetriedWithinTheHour()
{
    QFETCH(bool, reachable);
    QFETCH(QByteArray, body);
    QFETCH(QString, error);
    UpdaterFixture f;
    if (reachable)
        f.source.serve(body);
    else
        f.source.fail("the update server at x could not be reached: Connection refused");

    QVERIFY(f.silentAll() != 0);
    QCOMPARE(f.errors.size(), 1);
    QVERIFY2(f.errors.first().contains(error), qPrintable(f.errors.first()));
    QVERIFY(f.reporter.announced.isEmpty());
    QVERIFY(f.reporter.results.isEmpty()); // never a box in quiet mode
    QVERIFY(!f.store().load().lastCheck.isValid());

    f.clock.advance(Hour - 1); // not every minute meanwhile
    QCOMPARE(f.silentAll(), 0);
    QCOMPARE(f.source.asked.size(), 1);

    f.clock.advance(1); // the failed check did not use up the day
    f.source.serve(Version110);
    QCOMPARE(f.silentAll(), 0);
    QCOMPARE(f.source.asked.size(), 2);
    QCOMPARE(f.reporter.announced.size(), 1);
    QVERIFY(!f.store().load().lastFailure.isValid());
}

void TestUpdater::quietCheckNeedsZorvelsVersionBeforeAskingTheServer_data()
{
    QTest::addColumn<QByteArray>("zorvel"); // empty: no file
    QTest::addColumn<QString>("error");
    QTest::newRow("no zorvel") << QByteArray() << "zorvel was not found beside the updater";
    QTest::newRow("no stamp") << QByteArray("just a file") << "no version found in";
    QTest::newRow("broken stamp") << QByteArray("ZORVEL-FILE-VERSION=0.9;") << "no version found in";
}

void TestUpdater::quietCheckNeedsZorvelsVersionBeforeAskingTheServer()
{
    QFETCH(QByteArray, zorvel);
    QFETCH(QString, error);
    UpdaterFixture f;
    QFile::remove(f.zorvelPath());
    if (!zorvel.isEmpty())
        f.stampZorvel(zorvel);
    QVERIFY(f.silentAll() != 0);
    QVERIFY(f.source.asked.isEmpty());
    QCOMPARE(f.errors.size(), 1);
    QVERIFY2(f.errors.first().contains(error), qPrintable(f.errors.first()));
    QVERIFY(f.errors.first().contains(f.zorvelPath()));
    // Nothing was asked of the server, so nothing holds the next check back.
    const UpdaterState state = f.store().load();
    QVERIFY(!state.lastCheck.isValid() && !state.lastFailure.isValid());
}

void TestUpdater::unannouncedNewsIsToldAtTheNextCheck()
{
    UpdaterFixture f;
    f.reporter.canAnnounce = false; // no notification service and no display
    QVERIFY(f.silentAll() != 0);
    QCOMPARE(f.errors.size(), 1);
    QVERIFY(f.errors.first().contains("Zorvel 1.0.0 is available"));
    QVERIFY(!f.store().load().announced);

    f.reporter.canAnnounce = true;
    f.clock.advance(Day);
    QCOMPARE(f.silentAll(), 0);
    QCOMPARE(f.reporter.announced.size(), 1);
}

void TestUpdater::quietCheckWithoutAStateFolderFails()
{
    UpdaterFixture f;
    QString none;
    Updater updater(UpdaterParts{f.clock, f.source, f.reporter, ManifestAddress, f.zorvelPath(), none,
                                 "neither XDG_STATE_HOME nor HOME names a folder", {},
                                 [&](const QString &line) { f.errors << line; }});
    QVERIFY(updater.runSilentAll() != 0);
    QVERIFY(f.source.asked.isEmpty()); // without its stamp it could not keep to once a day
    QCOMPARE(f.errors, QStringList{"neither XDG_STATE_HOME nor HOME names a folder"});
}

void TestUpdater::checkNowShowsTheResult_data()
{
    QTest::addColumn<QByteArray>("manifest");
    QTest::addColumn<QString>("result");
    QTest::newRow("newer") << QByteArray(R"({"version":"1.0.0.0","download":"https://zorvel.example.org/get"})")
                           << "information: Zorvel 1.0.0 is available (you have 0.9.2). Get it from: "
                              "https://zorvel.example.org/get";
    QTest::newRow("newer build") << QByteArray(R"({"version":"0.9.2.1","download":"http://x/get"})")
                                 << "information: Zorvel 0.9.2.1 is available (you have 0.9.2.0). Get it from: "
                                    "http://x/get";
    QTest::newRow("same") << QByteArray(R"({"version":"0.9.2.0","download":"http://x/"})")
                          << "information: Zorvel 0.9.2 is up to date.";
    QTest::newRow("older") << QByteArray(R"({"version":"0.1.0.0","download":"http://x/"})")
                           << "information: Zorvel 0.9.2 is up to date.";
}

void TestUpdater::checkNowShowsTheResult()
{
    QFETCH(QByteArray, manifest);
    QFETCH(QString, result);
    UpdaterFixture f;
    f.source.serve(manifest);
    QCOMPARE(f.checkNow(), 0);
    QCOMPARE(f.reporter.results, QStringList{result});
    QVERIFY(f.reporter.announced.isEmpty());
    QVERIFY(f.errors.isEmpty());
}

void TestUpdater::checkNowIgnoresTheDayButRecordsItsCheck()
{
    UpdaterFixture f;
    f.source.serve(R"({"version":"0.9.2.0","download":"http://x/"})");
    QCOMPARE(f.silentAll(), 0);
    f.clock.advance(Minute);
    QCOMPARE(f.checkNow(), 0);
    QCOMPARE(f.checkNow(), 0);
    QCOMPARE(f.source.asked.size(), 3);
    QCOMPARE(f.store().load().lastCheck, f.clock.time);

    // The news the dialog showed is not told again by the quiet check.
    f.clock.advance(Day);
    f.source.serve(Version110);
    QCOMPARE(f.checkNow(), 0);
    f.clock.advance(Day);
    QCOMPARE(f.silentAll(), 0);
    QCOMPARE(f.source.asked.size(), 5);
    QVERIFY(f.reporter.announced.isEmpty());
}

void TestUpdater::checkNowExplainsAFailedCheck_data()
{
    QTest::addColumn<QByteArray>("zorvel");
    QTest::addColumn<QByteArray>("manifest"); // empty: the server cannot be reached
    QTest::addColumn<QString>("result");
    const QByteArray stamped = "ZORVEL-FILE-VERSION=0.9.2.0;";
    QTest::newRow("unreachable") << stamped << QByteArray()
                                 << "warning: The update check failed: the update server at x could not be reached: "
                                    "Connection refused.";
    QTest::newRow("bad manifest") << stamped << QByteArray(R"({"version":"soon","download":"http://x/"})")
                                  << "warning: The update check failed: the update server at "
                                     "http://127.0.0.1:8470/Brenvo/updates/latest.json sent a bad manifest: "
                                     "\"version\" is not four numbers A.B.C.D.";
    QTest::newRow("no version") << QByteArray("no stamp here") << QByteArray(R"({})")
                                << "warning: The update check failed: no version found in %1.";
}

void TestUpdater::checkNowExplainsAFailedCheck()
{
    QFETCH(QByteArray, zorvel);
    QFETCH(QByteArray, manifest);
    QFETCH(QString, result);
    UpdaterFixture f;
    f.stampZorvel(zorvel);
    if (manifest.isEmpty())
        f.source.fail("the update server at x could not be reached: Connection refused");
    else
        f.source.serve(manifest);
    QVERIFY(f.checkNow() != 0);
    QCOMPARE(f.reporter.results, QStringList{result.contains("%1") ? result.arg(f.zorvelPath()) : result});
    QCOMPARE(f.errors.size(), 1);
    QVERIFY(!f.store().load().lastCheck.isValid());
    QVERIFY(!f.store().load().lastFailure.isValid()); // the quiet check's retry is its own affair
}

void TestUpdater::checkNowRunsBesideAQuietCopy()
{
    UpdaterFixture f;
    QString error;
    QVERIFY(f.store().ensureFolder(&error));
    const UpdaterLock quietCopy(f.store().lockPath());
    QCOMPARE(quietCopy.result(), UpdaterLock::Result::Held);
    QCOMPARE(f.checkNow(), 0);
    QCOMPARE(f.source.asked.size(), 1);
    QCOMPARE(f.reporter.results.size(), 1);
    QCOMPARE(f.runtimeStarts, 1);
}

QTEST_GUILESS_MAIN(TestUpdater)
#include "test_updater.moc"
