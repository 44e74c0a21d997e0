// The two functions of the hook library. Each process has its own watcher, so a
// second copy of the program hooking and unhooking never touches the first.
#include "MouseHook.h"

#include "EdgeWatcher.h"

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

namespace {

std::mutex g_lock;
std::unique_ptr<mousehook::EdgeWatcher> g_watcher;

} // namespace

extern "C" void HookMouse(void)
{
    std::lock_guard<std::mutex> guard(g_lock);
    if (g_watcher)
        return;
    std::string whyNot;
    g_watcher = mousehook::EdgeWatcher::Start(whyNot);
    if (!g_watcher)
        std::fprintf(stderr, "MouseHook: top-edge pushes are not watched: %s\n", whyNot.c_str());
}

extern "C" void UnHookMouse(void)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_watcher.reset();
}
