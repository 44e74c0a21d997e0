#include "HookTargets.h"

#include "MouseHookConstants.h"

#include <X11/Xatom.h>
#include <unistd.h>

namespace mousehook {

HookTargets::HookTargets(Display *display, Window root)
    : m_display(display),
      m_root(root),
      m_messageType(XInternAtom(display, MessageName, False)),
      m_pidProperty(XInternAtom(display, "_NET_WM_PID", False)),
      m_pid(static_cast<long>(getpid()))
{
}

void HookTargets::Send(int count)
{
    if (count <= 0)
        return;
    if (m_changed || std::chrono::steady_clock::now() - m_builtAt > TargetListMaxAge)
        Rebuild();
    for (Window window : m_windows) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = m_messageType;
        event.xclient.format = 32;
        event.xclient.data.l[0] = TopEdgeEventCode;
        event.xclient.data.l[1] = 0;
        for (int i = 0; i < count; ++i)
            XSendEvent(m_display, window, False, NoEventMask, &event);
    }
    XFlush(m_display);
}

// Unmanaged windows (the bar) are children of the root; managed ones sit one
// level down, inside the window manager's frame. The frame itself belongs to
// the window manager and is never a receiver.
void HookTargets::Rebuild()
{
    m_windows.clear();
    m_changed = false;
    m_builtAt = std::chrono::steady_clock::now();
    Window rootReturn = 0, parent = 0;
    Window *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(m_display, m_root, &rootReturn, &parent, &children, &count))
        return;
    for (unsigned int i = 0; i < count; ++i) {
        if (IsOurs(children[i])) {
            m_windows.push_back(children[i]);
            continue;
        }
        Window *inner = nullptr;
        unsigned int innerCount = 0;
        if (!XQueryTree(m_display, children[i], &rootReturn, &parent, &inner, &innerCount))
            continue; // gone since the root was listed
        for (unsigned int j = 0; j < innerCount; ++j) {
            if (IsOurs(inner[j]))
                m_windows.push_back(inner[j]);
        }
        if (inner)
            XFree(inner);
    }
    if (children)
        XFree(children);
}

bool HookTargets::IsOurs(Window window) const
{
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(m_display, window, m_pidProperty, 0, 1, False, XA_CARDINAL, &type, &format,
                           &items, &after, &data) != Success)
        return false;
    const bool ours = type == XA_CARDINAL && format == 32 && items == 1
        && *reinterpret_cast<long *>(data) == m_pid;
    if (data)
        XFree(data);
    return ours;
}

} // namespace mousehook
