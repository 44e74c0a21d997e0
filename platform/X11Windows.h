#pragma once
// X11 window states that Qt does not give by itself.
class QWidget;

namespace X11Windows {

// Keeps a window out of the taskbar, the pager and the task switcher. The
// states are set again whenever Qt gives the window a new native window (a
// window holding a browser gets one when first shown), and sent to the window
// manager once the window is mapped.
void KeepOutOfTaskbar(QWidget *window);

// For windows that bypass the window manager: stay above every managed window
// raised over them, and take the keyboard focus when the user clicks into them
// (an unmanaged window is never given it otherwise).
void KeepAboveAndFocusOnClick(QWidget *window);

// Raises and focuses a top-level X window of another client: through
// _NET_ACTIVE_WINDOW where a window manager runs, directly where none does.
void ActivateForeignWindow(unsigned long xWindow);

// True while the program talks to an X server.
bool Available();

}
