#pragma once
// Work that a before-navigate handler starts but must not run inside it.
//
// The embedded browser asks before-navigate from the middle of its own
// navigation machinery: starting another navigation there, or processing
// pending events (which an account window's creation and growth do), tears
// down the request that is still being decided and crashes the browser. So
// the handlers decide the cancel flag at once and hand the rest to the event
// loop, which runs it as soon as the browser has had its answer.
#include <functional>

class QObject;

// Runs work from the event loop, guarded like any handler; dropped if
// context is destroyed first.
void RunAfterNavigationRequest(QObject *context, std::function<void()> work);
