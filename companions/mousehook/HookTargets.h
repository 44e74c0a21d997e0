// This process's own top-level X windows, the receivers of the hook message.
// The list is cached: it is rebuilt when the window tree under the root has
// changed or when it has grown old, never for every message.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <vector>

namespace mousehook {

class HookTargets {
public:
    HookTargets(Display *display, Window root);

    // A window was created, destroyed, mapped or reparented under the root.
    void MarkChanged() { m_changed = true; }

    // Sends `count` code-4 messages to each of this process's top-level windows.
    void Send(int count);

    const std::vector<Window> &Windows() const { return m_windows; }

private:
    void Rebuild();
    bool IsOurs(Window window) const;

    Display *m_display;
    Window m_root;
    Atom m_messageType;
    Atom m_pidProperty;
    long m_pid;
    std::vector<Window> m_windows;
    bool m_changed = true;
    std::chrono::steady_clock::time_point m_builtAt{};
};

} // namespace mousehook
