// The edge's geometry and the measure of a push, without a display.
#include "EdgeMap.h"
#include "PushMeter.h"

#include <QTest>

using namespace mousehook;

namespace {

MotionBatch Batch(double dy, PointerPlace before, PointerPlace after, bool onEdge, bool button,
                  std::vector<double> steps = {}, std::optional<int> edgeRow = {})
{
    MotionBatch batch;
    batch.intendedDy = dy;
    batch.before = before;
    batch.after = after;
    batch.afterOnEdge = onEdge;
    batch.buttonHeld = button;
    batch.steps = std::move(steps);
    batch.edgeRow = edgeRow;
    return batch;
}

} // namespace

Q_DECLARE_METATYPE(std::vector<mousehook::MonitorRect>)
Q_DECLARE_METATYPE(std::vector<double>)

class TestPushMeter : public QObject {
    Q_OBJECT
private slots:
    void edgeRows_data()
    {
        QTest::addColumn<std::vector<MonitorRect>>("monitors");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<bool>("edge");
        const std::vector<MonitorRect> one{{0, 0, 1280, 800}};
        // A wide lower monitor to the right, its top 200 px below the left one's.
        const std::vector<MonitorRect> staggered{{0, 0, 1280, 800}, {1280, 200, 1920, 1080}};
        // A small monitor above the left part of a wide one.
        const std::vector<MonitorRect> stacked{{0, 0, 1024, 768}, {0, 768, 1920, 1080}};
        const std::vector<MonitorRect> mirrored{{0, 0, 1280, 800}, {0, 0, 1280, 800}};
        QTest::newRow("top row") << one << 640 << 0 << true;
        QTest::newRow("top row, first column") << one << 0 << 0 << true;
        QTest::newRow("top row, last column") << one << 1279 << 0 << true;
        QTest::newRow("one row lower") << one << 640 << 1 << false;
        QTest::newRow("past the right end") << one << 1280 << 0 << false;
        QTest::newRow("lower monitor's top row") << staggered << 1500 << 200 << true;
        QTest::newRow("lower monitor, above its top") << staggered << 1500 << 199 << false;
        QTest::newRow("left monitor at the lower one's height") << staggered << 640 << 200 << false;
        QTest::newRow("under the upper monitor") << stacked << 500 << 768 << false;
        QTest::newRow("where the lower one sticks out") << stacked << 1500 << 768 << true;
        QTest::newRow("upper monitor's top") << stacked << 500 << 0 << true;
        QTest::newRow("mirrored monitors") << mirrored << 10 << 0 << true;
        QTest::newRow("no monitors") << std::vector<MonitorRect>{} << 0 << 0 << false;
        QTest::newRow("empty monitor ignored") << std::vector<MonitorRect>{{0, 0, 1280, 800}, {0, -10, 0, 10}} << 5
                                               << 0 << true;
    }
    void edgeRows()
    {
        QFETCH(std::vector<MonitorRect>, monitors);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(bool, edge);
        EdgeMap map;
        map.SetMonitors(monitors);
        QCOMPARE(map.IsOnEdge(x, y), edge);
    }

    // One batch each: intended vertical motion, place before (-1: unknown) and
    // after, on the edge after, a button held; the messages it is worth.
    void batches_data()
    {
        QTest::addColumn<double>("dy");
        QTest::addColumn<int>("beforeY");
        QTest::addColumn<int>("afterY");
        QTest::addColumn<bool>("onEdge");
        QTest::addColumn<bool>("button");
        QTest::addColumn<int>("messages");
        QTest::newRow("push of two messages' worth") << -16.0 << 0 << 0 << true << false << 2;
        QTest::newRow("push just short of one") << -7.9 << 0 << 0 << true << false << 0;
        QTest::newRow("arriving at the edge") << -40.0 << 40 << 0 << true << false << 0;
        QTest::newRow("arriving and pushing on") << -56.0 << 40 << 0 << true << false << 2;
        QTest::newRow("first batch, place unknown") << -80.0 << -1 << 0 << true << false << 0;
        QTest::newRow("push off the edge") << -80.0 << 0 << 0 << false << false << 0;
        QTest::newRow("drag against the edge") << -80.0 << 0 << 0 << true << true << 0;
        QTest::newRow("down and back up in one batch") << -16.0 << 0 << 0 << true << false << 2;
        QTest::newRow("warped onto the edge") << -8.0 << 300 << 0 << true << false << 0;
        QTest::newRow("downward motion") << 30.0 << 0 << 0 << true << false << 0;
    }
    void batches()
    {
        QFETCH(double, dy);
        QFETCH(int, beforeY);
        QFETCH(int, afterY);
        QFETCH(bool, onEdge);
        QFETCH(bool, button);
        QFETCH(int, messages);
        PushMeter meter(8);
        MotionBatch batch;
        batch.intendedDy = dy;
        if (beforeY >= 0)
            batch.before = PointerPlace{10, beforeY};
        batch.after = {10, afterY};
        batch.afterOnEdge = onEdge;
        batch.buttonHeld = button;
        QCOMPARE(meter.Measure(batch), messages);
    }

    // The same 400 px of push as 125 Hz and as 1000 Hz events: the same messages.
    void sameForEveryRate()
    {
        for (int events : {50, 400, 3}) {
            PushMeter meter(8);
            int sent = 0;
            for (int i = 0; i < events; ++i)
                sent += meter.Measure(Batch(-400.0 / events, {5, 0}, {5, 0}, true, false));
            QCOMPARE(sent, 50);
        }
    }

    // Batches followed event by event from the place before: vertical steps,
    // place before and after, the edge row above (-1: none); the messages and
    // the part of one left over.
    void followingTheWay_data()
    {
        QTest::addColumn<std::vector<double>>("steps");
        QTest::addColumn<int>("beforeY");
        QTest::addColumn<int>("afterY");
        QTest::addColumn<int>("edgeRow");
        QTest::addColumn<int>("messages");
        QTest::addColumn<double>("pending");
        using Steps = std::vector<double>;
        QTest::newRow("two pushes, then down") << Steps{-8, -8, 30} << 0 << 30 << 0 << 2 << 0.0;
        QTest::newRow("up to the edge, a push, down again") << Steps{-40, -12, 20} << 40 << 20 << 0 << 1 << 0.0;
        QTest::newRow("pushed, left, back, pushed: the part before leaving is gone")
            << Steps{-12, 30, -30, -4} << 0 << 0 << 0 << 1 << 4.0;
        QTest::newRow("one row lower, up and down") << Steps{-1, 1, -1, 1} << 1 << 1 << 0 << 0 << 0.0;
        QTest::newRow("only down") << Steps{10, 10} << 0 << 20 << 0 << 0 << 0.0;
        QTest::newRow("off the edge, way ends elsewhere: warped") << Steps{-16, 30} << 0 << 100 << 0 << 0 << 0.0;
        QTest::newRow("on the edge, way ends elsewhere: by the sums") << Steps{-8} << 300 << 0 << 0 << 0 << 0.0;
        QTest::newRow("fractions the server kept") << Steps{-4.5, -4.25, 12.6} << 0 << 12 << 0 << 1 << 0.0;
        QTest::newRow("no edge above this column, off the edge") << Steps{-16, 30} << 0 << 30 << -1 << 0 << 0.0;
        QTest::newRow("edge of a lower monitor") << Steps{-8, 5} << 200 << 205 << 200 << 1 << 0.0;
    }
    void followingTheWay()
    {
        QFETCH(std::vector<double>, steps);
        QFETCH(int, beforeY);
        QFETCH(int, afterY);
        QFETCH(int, edgeRow);
        QFETCH(int, messages);
        QFETCH(double, pending);
        PushMeter meter(8);
        double dy = 0;
        for (double step : steps)
            dy += step;
        const bool onEdge = afterY == (edgeRow >= 0 ? edgeRow : 0);
        QCOMPARE(meter.Measure(Batch(dy, {10, beforeY}, {10, afterY}, onEdge, false, steps,
                                     edgeRow >= 0 ? std::optional<int>(edgeRow) : std::nullopt)),
                 messages);
        QCOMPARE(meter.Pending(), pending);
    }

    // A part of a message carries across batches on the edge, and is dropped
    // when the pointer leaves it or a button goes down.
    void remainder()
    {
        PushMeter meter(8);
        const MotionBatch push = Batch(-5.0, {5, 0}, {5, 0}, true, false);
        QCOMPARE(meter.Measure(push), 0);
        QCOMPARE(meter.Measure(push), 1);
        QCOMPARE(meter.Pending(), 2.0);
        meter.Measure(Batch(12.0, {5, 0}, {5, 12}, false, false));
        QCOMPARE(meter.Pending(), 0.0);
        // The part gathered so far and a push just before leaving make a message.
        QCOMPARE(meter.Measure(push), 0);
        QCOMPARE(meter.Measure(Batch(7.0, {5, 0}, {5, 10}, false, false, {-3, 10}, 0)), 1);
        QCOMPARE(meter.Pending(), 0.0);
        QCOMPARE(meter.Measure(push), 0);
        meter.Measure(Batch(0.0, {5, 0}, {5, 0}, true, true));
        QCOMPARE(meter.Pending(), 0.0);
    }
};

QTEST_APPLESS_MAIN(TestPushMeter)
#include "test_push_meter.moc"
