#pragma once
// Qt's own connection to the X server, for the few requests Qt does not make.
#include <xcb/xcb.h>

// Nothing when the program does not run on X11 (tests on the offscreen platform).
xcb_connection_t *XcbConnection();

// The atom of a name, interned on that connection; XCB_ATOM_NONE when it fails.
xcb_atom_t XcbAtom(xcb_connection_t *connection, const char *name);
