#include "UpdateSchedule.h"

#include <QTest>

class TestUpdateSchedule : public QObject {
    Q_OBJECT
private slots:
    void decidesWhenTheQuietCheckIsDue_data();
    void decidesWhenTheQuietCheckIsDue();
};

namespace {
const QDateTime Noon(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC);
}

void TestUpdateSchedule::decidesWhenTheQuietCheckIsDue_data()
{
    QTest::addColumn<qint64>("checkedAgo"); // seconds before now; -1: never
    QTest::addColumn<qint64>("failedAgo");
    QTest::addColumn<bool>("due");
    const qint64 never = -1, day = 24 * 3600, hour = 3600;
    QTest::newRow("never checked") << never << never << true;
    QTest::newRow("checked a second ago") << qint64(1) << never << false;
    QTest::newRow("checked just now") << qint64(0) << never << false;
    QTest::newRow("checked a second short of a day") << day - 1 << never << false;
    QTest::newRow("checked a day ago") << day << never << true;
    QTest::newRow("checked a week ago") << 7 * day << never << true;
    QTest::newRow("clock set back before the check") << -hour << never << true;
    QTest::newRow("failed a minute ago") << never << qint64(60) << false;
    QTest::newRow("failed a second short of an hour") << never << hour - 1 << false;
    QTest::newRow("failed an hour ago") << never << hour << true;
    QTest::newRow("failed after a day-old check") << 2 * day << qint64(60) << false;
    QTest::newRow("failed long ago, checked today") << hour << 3 * hour << false;
}

void TestUpdateSchedule::decidesWhenTheQuietCheckIsDue()
{
    QFETCH(qint64, checkedAgo);
    QFETCH(qint64, failedAgo);
    QFETCH(bool, due);
    UpdaterState state;
    // -1 means never; a negative "ago" other than that is a time after now.
    if (checkedAgo != -1)
        state.lastCheck = Noon.addSecs(-checkedAgo);
    if (failedAgo != -1)
        state.lastFailure = Noon.addSecs(-failedAgo);
    QCOMPARE(UpdateSchedule::checkDue(state, Noon), due);
}

QTEST_GUILESS_MAIN(TestUpdateSchedule)
#include "test_update_schedule.moc"
