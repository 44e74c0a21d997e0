// The mouse-hook library's interface: the bar installs the hook at start and
// removes it at the end. While it is installed, pushes of the pointer against
// the top edge of the screen arrive at this process's own top-level windows as
// "MouseHookMessage" client messages with event code 4.
#pragma once

#define MOUSEHOOK_EXPORT __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

// Starts this process's edge watcher. A second call while it runs does nothing.
// Without a display or XInput 2 it does nothing and says why on standard error.
MOUSEHOOK_EXPORT void HookMouse(void);

// Stops and joins the watcher (within 100 ms). Harmless when it is not running.
MOUSEHOOK_EXPORT void UnHookMouse(void);

#ifdef __cplusplus
}
#endif
