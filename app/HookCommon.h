#pragma once
// The program's side of the hook library: the message the library sends and
// the library's two calls (HookMouse, UnHookMouse).
#include "MouseHook.h"

#include <cstdint>

// The X11 atom of "MouseHookMessage", the type of every hook message. Every
// client that interns the name gets the same atom, which is how the library
// and the program agree on it. 0 (None) until RegisterHookMessage has run, or
// when the program has no X connection.
extern std::uint32_t HookMessageId;

// Interns the message name once, right after the application object exists
// and before any window is created.
void RegisterHookMessage();
