#pragma once
// Finding another program's top-level X windows.
#include <QString>

namespace ForeignWindows {

// A mapped top-level window of another process (its _NET_WM_PID is not this
// process's) whose X11 class hint names windowClass, in any letter case, and
// whose title is title. Windows inside a window manager's frames count as top
// level. 0 when there is none, or no X server.
unsigned long FindTopLevel(const QString &windowClass, const QString &title);

}
