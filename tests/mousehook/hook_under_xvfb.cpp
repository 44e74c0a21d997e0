// libMouseHook.so under an Xvfb of this test's own: a real top-level window of
// this process receives the hook messages while XTest moves the real pointer.
//
// Pointer moves are relative XTest motion, also for placing the pointer: XTest's
// absolute motion reaches raw events as coordinates rather than as motion, and
// XWarpPointer makes no raw events at all. The one absolute placement happens
// before the hook is installed.
#include "MouseHook.h"
#include "MouseHookConstants.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

const int P = static_cast<int>(mousehook::PixelsPerMessage);
int g_failures = 0;

void Check(bool ok, const std::string &what)
{
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
    std::fflush(stdout);
    if (!ok)
        ++g_failures;
}

[[noreturn]] void Fatal(const std::string &what)
{
    std::fprintf(stderr, "hook_under_xvfb: %s\n", what.c_str());
    std::exit(2);
}

// A child process with its standard input and output on pipes.
struct Child {
    pid_t pid = -1;
    int in = -1;  // we write
    int out = -1; // we read (stdout and stderr)
};

Child Spawn(const std::vector<std::string> &args, const std::function<void()> &inChild = {})
{
    int toChild[2], fromChild[2];
    if (pipe2(toChild, O_CLOEXEC) || pipe2(fromChild, O_CLOEXEC))
        Fatal("pipe failed");
    const pid_t pid = fork();
    if (pid < 0)
        Fatal("fork failed");
    if (pid == 0) {
        dup2(toChild[0], 0);
        dup2(fromChild[1], 1);
        dup2(fromChild[1], 2);
        if (inChild)
            inChild();
        std::vector<char *> argv;
        for (const auto &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    return {pid, toChild[1], fromChild[0]};
}

// Waits for the child's end; false when the deadline passes first.
bool WaitExit(pid_t pid, std::chrono::milliseconds timeout, int *status)
{
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        if (waitpid(pid, status, WNOHANG) == pid)
            return true;
        poll(nullptr, 0, 10);
    }
    return false;
}

void Stop(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    int status = 0;
    if (!WaitExit(pid, 5000ms, &status)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
}

// Reads what the child writes until `until` shows up, EOF or the deadline.
std::string ReadFrom(int fd, std::chrono::milliseconds timeout, const std::string &until = {})
{
    std::string text;
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char buffer[512];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        text.append(buffer, static_cast<size_t>(n));
        if (!until.empty() && text.find(until) != std::string::npos)
            break;
    }
    return text;
}

// An Xvfb on the first free display of 140 to 159, answered when connected.
struct Server {
    pid_t pid = -1;
    std::string name;
};

Server StartXvfb(const std::vector<std::string> &extra = {})
{
    for (int number = 140; number < 160; ++number) {
        const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
        struct stat st;
        if (stat(lock.c_str(), &st) == 0)
            continue;
        const std::string name = ":" + std::to_string(number);
        std::vector<std::string> args{"Xvfb", name, "-noreset", "-nolisten", "tcp", "-screen", "0", "1024x768x24"};
        args.insert(args.end(), extra.begin(), extra.end());
        Child xvfb = Spawn(args, [] {
            int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
        });
        close(xvfb.in);
        close(xvfb.out);
        const auto deadline = Clock::now() + 10s;
        while (Clock::now() < deadline) {
            int status = 0;
            if (waitpid(xvfb.pid, &status, WNOHANG) == xvfb.pid)
                break; // display taken after all, or the option refused
            if (Display *probe = XOpenDisplay(name.c_str())) {
                XCloseDisplay(probe);
                return {xvfb.pid, name};
            }
            poll(nullptr, 0, 20);
        }
        Stop(xvfb.pid);
    }
    return {};
}

// A top-level window of this process, as the bar is one: _NET_WM_PID is ours.
Window CreateOwnWindow(Display *display)
{
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 10, 100, 200, 50, 0, 0, 0);
    const long pid = getpid();
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&pid), 1);
    XMapWindow(display, window);
    XSync(display, False);
    return window;
}

// Counts the code-4 hook messages that reach each window of one connection.
class MessageCounter {
public:
    MessageCounter(Display *display, Window window)
        : m_display(display), m_window(window), m_type(XInternAtom(display, mousehook::MessageName, False))
    {
    }

    int Count() { return CountFor(m_window); }

    int CountFor(Window window)
    {
        while (XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type != ClientMessage)
                continue;
            if (event.xclient.message_type == m_type && event.xclient.format == 32
                && event.xclient.data.l[0] == mousehook::TopEdgeEventCode && event.xclient.data.l[1] == 0)
                ++m_counts[event.xclient.window];
            else
                ++m_strays;
        }
        return m_counts[window];
    }

    // Waits until at least `target` messages have reached the window, or the deadline.
    bool WaitFor(int target, std::chrono::milliseconds timeout, Window window = None)
    {
        if (window == None)
            window = m_window;
        const auto deadline = Clock::now() + timeout;
        while (CountFor(window) < target) {
            if (Clock::now() >= deadline)
                return false;
            pollfd p{ConnectionNumber(m_display), POLLIN, 0};
            poll(&p, 1, 10);
        }
        return true;
    }

    int Strays() const { return m_strays; }

private:
    Display *m_display;
    Window m_window;
    Atom m_type;
    std::map<Window, int> m_counts;
    int m_strays = 0;
};

class Pointer {
public:
    explicit Pointer(Display *display) : m_display(display) {}

    void Move(int dx, int dy)
    {
        XTestFakeRelativeMotionEvent(m_display, dx, dy, 0);
        XSync(m_display, False);
    }

    void Place(int x, int y)
    {
        int px = 0, py = 0;
        Where(px, py);
        Move(x - px, y - py);
    }

    void Where(int &x, int &y)
    {
        Window root, child;
        int wx, wy;
        unsigned int mask;
        XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, &x, &y, &wx, &wy, &mask);
    }

    void Button(unsigned int button, bool down)
    {
        XTestFakeButtonEvent(m_display, button, down, 0);
        XSync(m_display, False);
    }

private:
    Display *m_display;
};

// The second copy of the program: its own window, its own hook, for a while.
int RunSecondCopy()
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return 2;
    Window window = CreateOwnWindow(display);
    MessageCounter counter(display, window);
    HookMouse();
    std::printf("hooked\n");
    std::fflush(stdout);
    ReadFrom(0, 60s, "unhook");
    // Its watcher may still be on its way through the pushes this copy saw.
    counter.WaitFor(1, 5000ms);
    UnHookMouse();
    std::printf("count %d\n", counter.Count());
    std::fflush(stdout);
    XCloseDisplay(display);
    return 0;
}

int RunHookOnly()
{
    HookMouse();
    UnHookMouse();
    return 0;
}

std::string OneLine(const std::string &text)
{
    std::string line = text;
    while (!line.empty() && line.back() == '\n')
        line.pop_back();
    return line;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--second-copy") == 0)
        return RunSecondCopy();
    if (argc > 1 && std::strcmp(argv[1], "--hook-only") == 0)
        return RunHookOnly();
    signal(SIGPIPE, SIG_IGN);
    const std::string program = [] {
        char path[4096];
        const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
        return std::string(path, n > 0 ? static_cast<size_t>(n) : 0);
    }();

    // Without a display HookMouse returns at once and says why, in one line.
    {
        Child child = Spawn({program, "--hook-only"}, [] { unsetenv("DISPLAY"); });
        close(child.in);
        int status = 0;
        const bool ended = WaitExit(child.pid, 5000ms, &status);
        const std::string said = ReadFrom(child.out, 1000ms);
        close(child.out);
        if (!ended)
            Stop(child.pid);
        Check(ended && WIFEXITED(status) && WEXITSTATUS(status) == 0, "no display: HookMouse and UnHookMouse return");
        Check(std::count(said.begin(), said.end(), '\n') == 1 && said.find("display") != std::string::npos,
              "no display: one line on stderr says why (" + OneLine(said) + ")");
    }

    // A server without XInput: the same, naming XInput.
    {
        Server bare = StartXvfb({"-extension", "XInputExtension"});
        Display *probe = bare.pid < 0 ? nullptr : XOpenDisplay(bare.name.c_str());
        int opcode = 0, event = 0, error = 0;
        const bool hasXInput = probe && XQueryExtension(probe, "XInputExtension", &opcode, &event, &error);
        if (probe)
            XCloseDisplay(probe);
        if (bare.pid < 0 || hasXInput) {
            std::printf("skipped: this Xvfb cannot run without XInput\n");
            Stop(bare.pid);
        } else {
            Child child = Spawn({program, "--hook-only"}, [&] { setenv("DISPLAY", bare.name.c_str(), 1); });
            close(child.in);
            int status = 0;
            const bool ended = WaitExit(child.pid, 5000ms, &status);
            const std::string said = ReadFrom(child.out, 1000ms);
            close(child.out);
            if (!ended)
                Stop(child.pid);
            Check(ended && WIFEXITED(status) && WEXITSTATUS(status) == 0, "no XInput: HookMouse returns");
            Check(std::count(said.begin(), said.end(), '\n') == 1 && said.find("XInput") != std::string::npos,
                  "no XInput: one line on stderr says why (" + OneLine(said) + ")");
            Stop(bare.pid);
        }
    }

    Server server = StartXvfb();
    if (server.pid < 0)
        Fatal("no Xvfb could be started on displays :140 to :159");
    setenv("DISPLAY", server.name.c_str(), 1);
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        Fatal("cannot open " + server.name);
    int ev, er, maj, min;
    if (!XTestQueryExtension(display, &ev, &er, &maj, &min))
        Fatal("the test server has no XTest");
    // Pixels as given: no acceleration between XTest's motion and the pointer.
    XChangePointerControl(display, True, True, 1, 1, 0);
    Pointer pointer(display);
    XTestFakeMotionEvent(display, 0, 500, 400, 0);
    XSync(display, False);

    Window window = CreateOwnWindow(display);
    MessageCounter counter(display, window);

    // Another client's window is no receiver, whatever its _NET_WM_PID says.
    Display *other = XOpenDisplay(nullptr);
    Window otherWindow = XCreateSimpleWindow(other, DefaultRootWindow(other), 300, 300, 50, 50, 0, 0, 0);
    const long otherPid = getpid() + 1;
    XChangeProperty(other, otherWindow, XInternAtom(other, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&otherPid), 1);
    XMapWindow(other, otherWindow);
    XSync(other, False);
    MessageCounter otherCounter(other, otherWindow);

    HookMouse();
    HookMouse(); // a second call changes nothing: pushes must not count twice

    // Every case ends with one push of exactly one message's worth at the edge;
    // its message, the last the watcher sends, shows that the case is done.
    const auto settle = [&](int attempts) {
        const int start = counter.Count();
        pointer.Place(500, 0);
        for (int attempt = 0; attempt < attempts; ++attempt) {
            pointer.Move(0, -P);
            if (counter.WaitFor(start + 1, attempts > 1 ? 500ms : 5000ms))
                return true;
        }
        return false;
    };
    // The first batch after hooking only tells the watcher where the pointer is.
    Check(settle(20), "the watcher answers a push at the edge");
    // After a case's motion: one push of a message's worth at the edge (its
    // message comes after the case's), then a window of ours that is new to the
    // watcher and one more push. The new window's first message is sent after
    // everything the case caused, and messages of one sender arrive in order, so
    // by then the case's count is complete, extra messages included.
    int before = 0;
    const auto runCase = [&](const std::string &what, int expected, const std::function<void()> &motion,
                             bool dragged = false) {
        pointer.Place(500, 300); // off the edge: nothing gathered carries into the case
        before = counter.Count();
        motion();
        pointer.Place(500, 0);
        pointer.Move(0, -P);
        // A batch that holds a button change counts nothing, so after a drag the
        // closing push may share its fate: push again until one is answered.
        for (int attempt = 1; !counter.WaitFor(before + expected + 1, dragged ? 1000ms : 5000ms); ++attempt) {
            if (!dragged || attempt == 5)
                break;
            pointer.Move(0, -P);
        }
        Window sentinel = CreateOwnWindow(display);
        pointer.Move(0, -P);
        const bool answered = counter.WaitFor(1, 5000ms, sentinel);
        const int sent = counter.Count() - before - 2;
        XDestroyWindow(display, sentinel);
        XSync(display, False);
        if (!answered)
            Check(false, what + ": the closing push got no message");
        else
            Check(sent == expected, what + ": " + std::to_string(sent) + " messages, expected " + std::to_string(expected));
    };

    runCase("1-px pushes at the edge, 10 messages' worth", 10, [&] {
        pointer.Place(200, 0);
        for (int i = 0; i < 10 * P; ++i)
            pointer.Move(0, -1);
    });
    runCase("one long push of 3 messages and a bit", 3, [&] {
        pointer.Place(200, 0);
        pointer.Move(0, -(3 * P + P / 2));
    });
    runCase("the way up to the edge in the same motion is not pressure", 2, [&] {
        pointer.Place(700, 40);
        pointer.Move(0, -(40 + 2 * P));
    });
    runCase("slanting pushes count their upward part", 4, [&] {
        pointer.Place(100, 0);
        for (int i = 0; i < 4 * P; ++i)
            pointer.Move(3, -1);
    });
    // The server grabbed, the watcher's pointer query waits until both moves
    // are made, so they come in one batch that ends off the edge.
    runCase("a push and off the edge in one batch: the push counts", 2, [&] {
        pointer.Place(600, 0);
        XGrabServer(display);
        pointer.Move(0, -(2 * P + P / 2));
        pointer.Move(0, 40);
        XUngrabServer(display);
        XSync(display, False);
    });
    runCase("sideways along the edge", 0, [&] {
        pointer.Place(100, 0);
        for (int i = 0; i < 100; ++i)
            pointer.Move(i % 2 ? 5 : -3, 0);
    });
    runCase("one row below: reaching the edge is no push", 0, [&] {
        for (int i = 0; i < 10 * P; ++i) {
            pointer.Place(300 + i % 7, 1);
            pointer.Move(0, -1);
        }
    });
    runCase("one row below: sideways", 0, [&] {
        pointer.Place(300, 1);
        for (int i = 0; i < 100; ++i)
            pointer.Move(i % 2 ? 4 : -4, 0);
    });
    runCase("scroll wheel at the edge", 0, [&] {
        pointer.Place(400, 0);
        for (int i = 0; i < 40; ++i) {
            pointer.Button(i % 2 ? 4 : 5, true);
            pointer.Button(i % 2 ? 4 : 5, false);
        }
    });
    runCase("pushes with a button held (a drag)", 0, [&] {
        pointer.Place(400, 200);
        pointer.Button(1, true);
        pointer.Place(400, 0);
        for (int i = 0; i < 10 * P; ++i)
            pointer.Move(0, -1);
        pointer.Button(1, false);
    }, true);

    // Each push is answered by itself. With every push waited for before the
    // next, no later motion comes to wake a watcher that went to sleep with a
    // push already read but not yet measured.
    {
        pointer.Place(500, 0);
        const int start = counter.Count();
        int late = 0;
        for (int i = 1; i <= 2000; ++i) {
            pointer.Move(0, -P);
            if (!counter.WaitFor(start + i, 5000ms))
                ++late;
        }
        Check(late == 0 && counter.Count() == start + 2000,
              "2000 pushes one at a time, each answered before the next: " + std::to_string(late) + " late, "
                  + std::to_string(counter.Count() - start) + " messages");
    }

    // A second copy hooks and unhooks while this one keeps counting.
    {
        Child second = Spawn({program, "--second-copy"});
        const bool hooked = ReadFrom(second.out, 10s, "hooked\n").find("hooked") != std::string::npos;
        Check(hooked, "second copy: hooked");
        runCase("second copy hooked: this copy's count", 5, [&] {
            pointer.Place(600, 0);
            for (int i = 0; i < 5 * P; ++i)
                pointer.Move(0, -1);
        });
        const std::string unhook = "unhook\n";
        if (write(second.in, unhook.data(), unhook.size()) < 0)
            Check(false, "second copy: told to unhook");
        const std::string said = ReadFrom(second.out, 10s, "\n");
        int status = 0;
        Check(WaitExit(second.pid, 10s, &status) && WIFEXITED(status) && WEXITSTATUS(status) == 0,
              "second copy: unhooked and ended");
        int secondCount = -1;
        std::sscanf(said.c_str(), "count %d", &secondCount);
        Check(secondCount > 0, "second copy: its own window got messages (" + OneLine(said) + ")");
        close(second.in);
        close(second.out);
        runCase("second copy gone: this copy counts on", 5, [&] {
            pointer.Place(600, 0);
            for (int i = 0; i < 5 * P; ++i)
                pointer.Move(0, -1);
        });
    }

    Check(counter.Strays() == 0, "no other client messages reached this window");
    Check(otherCounter.Count() == 0 && otherCounter.Strays() == 0, "another client's window received nothing");

    const auto start = Clock::now();
    UnHookMouse();
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    Check(took < 100ms, "UnHookMouse returns within 100 ms (" + std::to_string(took.count()) + " ms)");
    UnHookMouse(); // a second call is harmless

    // Unhooked: pushes send nothing any more.
    before = counter.Count();
    pointer.Place(500, 0);
    for (int i = 0; i < 5 * P; ++i)
        pointer.Move(0, -1);
    Check(!counter.WaitFor(before + 1, 500ms), "after UnHookMouse pushes send nothing");

    // Hooked again, it works as before.
    HookMouse();
    Check(settle(20), "hooked again: pushes are counted again");
    UnHookMouse();

    XCloseDisplay(other);
    XCloseDisplay(display);
    Stop(server.pid);
    std::printf("%s\n", g_failures ? "FAILED" : "all passed");
    return g_failures ? 1 : 0;
}
