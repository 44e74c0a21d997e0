#include "BarWndProc.h"

#include "HookCommon.h"

#include <QCoreApplication>
#include <QWidget>

#include <xcb/xcb.h>

BarWndProc::BarWndProc(QWidget &bar, std::function<void(std::uint8_t)> handleHookMessage)
    : m_bar(bar), m_handleHookMessage(std::move(handleHookMessage))
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installNativeEventFilter(this);
}

BarWndProc::~BarWndProc()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeNativeEventFilter(this);
}

bool BarWndProc::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || !message)
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    // The high bit marks an event that another client sent, as the library does.
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    const auto *client = static_cast<const xcb_client_message_event_t *>(message);
    if (HookMessageId == XCB_ATOM_NONE || client->type != HookMessageId || client->format != 32)
        return false;
    // The library sends to every top-level window of the program; only the
    // bar's count. The bar's X window is read for each message: a window
    // holding a browser gets a new native window when it is first shown.
    if (client->window == xcb_window_t(m_bar.internalWinId()))
        m_handleHookMessage(std::uint8_t(client->data.data32[0] & 0xffu));
    return true;
}
