// The bar's window procedure with hand-made X events: which ones reach the
// stroke count, which are consumed, and which go on to Qt.
#include "BarFixture.h"
#include "BarWndProc.h"
#include "HookCommon.h"

#include <QAbstractEventDispatcher>
#include <QtTest>

#include <xcb/xcb.h>

#include <optional>

namespace {
constexpr std::uint32_t TestAtom = 0x1234;
constexpr std::uint32_t OtherAtom = 0x1235;

xcb_client_message_event_t hookMessage(std::uint32_t window, std::uint32_t lParam)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE | 0x80; // sent by another client
    event.format = 32;
    event.window = window;
    event.type = TestAtom;
    event.data.data32[0] = lParam;
    event.data.data32[1] = 0;
    return event;
}
}

class TestBarWndProc : public QObject {
    Q_OBJECT

private slots:
    void init() { HookMessageId = TestAtom; }
    void cleanup() { HookMessageId = 0; }

    void picksOutHookMessagesToTheBar_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<std::uint32_t>("lParam");
        QTest::addColumn<bool>("consumed");
        QTest::addColumn<int>("code"); // -1: the handler is not called
        QTest::newRow("code 4") << "" << 4u << true << 4;
        QTest::newRow("4 with higher bits") << "" << 0xabcdef04u << true << 4;
        QTest::newRow("4 only in a higher byte") << "" << 0x400u << true << 0;
        QTest::newRow("another code") << "" << 0x07u << true << 7;
        QTest::newRow("sent by the server itself") << "no send bit" << 4u << true << 4;
        QTest::newRow("to another window of the program") << "other window" << 4u << true << -1;
        QTest::newRow("another message type") << "other type" << 4u << false << -1;
        QTest::newRow("format 8") << "format 8" << 4u << false << -1;
        QTest::newRow("not a client message") << "key press" << 4u << false << -1;
        QTest::newRow("no registered atom") << "no atom" << 4u << false << -1;
        QTest::newRow("not an xcb event") << "not xcb" << 4u << false << -1;
    }

    void picksOutHookMessagesToTheBar()
    {
        QFETCH(QString, change);
        QFETCH(std::uint32_t, lParam);
        QWidget bar;
        const auto barWindow = std::uint32_t(bar.winId());
        std::optional<int> handled;
        BarWndProc wndProc(bar, [&](std::uint8_t code) { handled = code; });

        xcb_client_message_event_t event = hookMessage(barWindow, lParam);
        QByteArray eventType("xcb_generic_event_t");
        if (change == "no send bit")
            event.response_type = XCB_CLIENT_MESSAGE;
        else if (change == "other window")
            event.window = barWindow + 1;
        else if (change == "other type")
            event.type = OtherAtom;
        else if (change == "format 8")
            event.format = 8;
        else if (change == "key press")
            event.response_type = XCB_KEY_PRESS;
        else if (change == "no atom")
            HookMessageId = 0, event.type = 0;
        else if (change == "not xcb")
            eventType = "windows_generic_MSG";

        qintptr result = 0;
        QTEST(wndProc.nativeEventFilter(eventType, &event, &result), "consumed");
        QTEST(handled.value_or(-1), "code");
    }

    void theBarCountsMessagesThroughItsInstalledFilter()
    {
        BarFixture f;
        f.parked();
        ::Sensitivity = 50;
        ::StrokeCount = 0;
        xcb_client_message_event_t event = hookMessage(std::uint32_t(f.bar->winId()), 0xff04);
        QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
        QVERIFY(dispatcher);
        qintptr result = 0;
        for (int i = 0; i < 50; ++i)
            QVERIFY(dispatcher->filterNativeEvent("xcb_generic_event_t", &event, &result));
        QVERIFY(!f.bar->Glow.isActive());
        QCOMPARE(::StrokeCount, 50);
        dispatcher->filterNativeEvent("xcb_generic_event_t", &event, &result);
        QVERIFY(f.bar->Glow.isActive());

        // Gone with the bar: a later message reaches nobody.
        f.bar.reset();
        QVERIFY(!dispatcher->filterNativeEvent("xcb_generic_event_t", &event, &result));
    }
};

QTEST_MAIN(TestBarWndProc)
#include "test_bar_wndproc.moc"
