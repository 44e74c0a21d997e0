#include "X11Windows.h"

#include "XcbConnection.h"

#include <QAbstractNativeEventFilter>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdlib>
#include <vector>

namespace {

xcb_window_t rootWindow(xcb_connection_t *c)
{
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

void sendToRoot(xcb_connection_t *c, xcb_window_t window, xcb_atom_t type, std::uint32_t d0,
                std::uint32_t d1, std::uint32_t d2)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    event.data.data32[0] = d0;
    event.data.data32[1] = d1;
    event.data.data32[2] = d2;
    event.data.data32[3] = 1; // from an application
    xcb_send_event(c, 0, rootWindow(c),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
}

void applySkipStates(QWidget *window)
{
    xcb_connection_t *c = XcbConnection();
    if (!c || !window->windowHandle() || !window->internalWinId())
        return;
    const auto id = xcb_window_t(window->internalWinId());
    const xcb_atom_t state = XcbAtom(c, "_NET_WM_STATE");
    const xcb_atom_t skipTaskbar = XcbAtom(c, "_NET_WM_STATE_SKIP_TASKBAR");
    const xcb_atom_t skipPager = XcbAtom(c, "_NET_WM_STATE_SKIP_PAGER");
    if (!window->isVisible()) {
        // Before mapping, the property itself is what a window manager reads.
        std::vector<xcb_atom_t> states{skipTaskbar, skipPager};
        if (window->windowFlags() & Qt::WindowStaysOnTopHint)
            states.push_back(XcbAtom(c, "_NET_WM_STATE_ABOVE"));
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                            std::uint32_t(states.size()), states.data());
    } else {
        // Once mapped, the window manager owns the property: ask it instead.
        sendToRoot(c, id, state, 1 /* add */, skipTaskbar, skipPager);
    }
    xcb_flush(c);
}

class TaskbarStates : public QObject {
public:
    explicit TaskbarStates(QWidget *window) : QObject(window), m_window(window)
    {
        window->installEventFilter(this);
        applySkipStates(window);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::WinIdChange || event->type() == QEvent::Show) {
            // After Show the window is being mapped; let that reach the server first.
            QTimer::singleShot(0, this, [this] {
                if (m_window)
                    applySkipStates(m_window);
            });
            if (event->type() == QEvent::WinIdChange)
                applySkipStates(m_window);
        }
        return false;
    }

private:
    QPointer<QWidget> m_window;
};

// Watches the stacking of the other clients' windows and raises the kept
// windows again when a managed window goes above them. It costs nothing until
// some window on the screen is mapped or restacked.
class StackingWatcher : public QObject, public QAbstractNativeEventFilter {
public:
    static StackingWatcher &instance()
    {
        static auto *watcher = new StackingWatcher;
        return *watcher;
    }

    void keep(QWidget *window)
    {
        // Replaced account windows are destroyed only at the end; forget those already gone.
        std::erase_if(m_windows, [](const QPointer<QWidget> &w) { return w.isNull(); });
        m_windows.push_back(window);
        window->installEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        auto *event = static_cast<xcb_generic_event_t *>(message);
        const std::uint8_t kind = event->response_type & 0x7f;
        xcb_window_t changed = XCB_WINDOW_NONE;
        bool overrideRedirect = false;
        if (kind == XCB_CONFIGURE_NOTIFY) {
            auto *e = reinterpret_cast<xcb_configure_notify_event_t *>(event);
            if (e->event != m_root)
                return false;
            changed = e->window;
            overrideRedirect = e->override_redirect;
        } else if (kind == XCB_MAP_NOTIFY) {
            auto *e = reinterpret_cast<xcb_map_notify_event_t *>(event);
            if (e->event != m_root)
                return false;
            changed = e->window;
            overrideRedirect = e->override_redirect;
        } else {
            return false;
        }
        // Menus and tooltips of other programs are left on top; so are our own windows.
        if (!overrideRedirect && !isOurs(changed))
            m_raise.start();
        return false;
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonPress) {
            if (auto *w = qobject_cast<QWidget *>(object))
                w->activateWindow();
        } else if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildPolished) {
            // Presses land on the deepest widget (a browser's surface among them).
            if (auto *child = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child()))
                child->installEventFilter(this);
        }
        return false;
    }

private:
    StackingWatcher()
    {
        m_raise.setSingleShot(true);
        m_raise.setInterval(0);
        connect(&m_raise, &QTimer::timeout, this, [this] {
            for (const QPointer<QWidget> &w : m_windows)
                if (w && w->isVisible())
                    w->raise();
            // Qt may leave the request in its buffer until some later event:
            // meanwhile the other window would stay on top.
            if (xcb_connection_t *c = XcbConnection())
                xcb_flush(c);
        });
        xcb_connection_t *c = XcbConnection();
        if (!c)
            return;
        m_root = rootWindow(c);
        // Add to, never replace, the events Qt already receives from the root.
        auto *attributes =
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, m_root), nullptr);
        const std::uint32_t mask = (attributes ? attributes->your_event_mask : 0)
                                   | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        free(attributes);
        xcb_change_window_attributes(c, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(c);
        qGuiApp->installNativeEventFilter(this);
    }

    bool isOurs(xcb_window_t window) const
    {
        for (QWindow *w : QGuiApplication::allWindows())
            if (w->handle() && xcb_window_t(w->winId()) == window)
                return true;
        return false;
    }

    xcb_window_t m_root = XCB_WINDOW_NONE;
    std::vector<QPointer<QWidget>> m_windows;
    QTimer m_raise;
};

void installFocusOnClick(QObject *filter, QWidget *window)
{
    window->installEventFilter(filter);
    for (QWidget *child : window->findChildren<QWidget *>())
        child->installEventFilter(filter);
}

}

namespace X11Windows {

bool Available()
{
    return XcbConnection() != nullptr;
}

void KeepOutOfTaskbar(QWidget *window)
{
    if (Available())
        new TaskbarStates(window);
}

void KeepAboveAndFocusOnClick(QWidget *window)
{
    if (!Available())
        return;
    StackingWatcher &watcher = StackingWatcher::instance();
    watcher.keep(window);
    installFocusOnClick(&watcher, window);
}

void ActivateForeignWindow(unsigned long xWindow)
{
    xcb_connection_t *c = XcbConnection();
    if (!c)
        return;
    const auto id = xcb_window_t(xWindow);
    const xcb_atom_t check = XcbAtom(c, "_NET_SUPPORTING_WM_CHECK");
    auto *reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, rootWindow(c), check, XCB_ATOM_WINDOW, 0, 1), nullptr);
    const bool windowManager = reply && xcb_get_property_value_length(reply) >= 4;
    free(reply);
    // A window manager ignores activation requests for windows that bypass it.
    auto *attributes = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr);
    const bool bypassing = attributes && attributes->override_redirect;
    free(attributes);
    const bool managed = windowManager && !bypassing;
    if (managed) {
        sendToRoot(c, id, XcbAtom(c, "_NET_ACTIVE_WINDOW"), 1 /* from an application */, XCB_CURRENT_TIME, 0);
    } else {
        const std::uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(c, id, XCB_CONFIG_WINDOW_STACK_MODE, &above);
        xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, id, XCB_CURRENT_TIME);
    }
    xcb_flush(c);
}

}
