// The cost of libMouseHook.so's edge watcher, under an Xvfb of this program's
// own: the watcher thread's CPU time and wake-ups while XTest moves the pointer
// around away from the top edge, while it pushes against the edge, and while
// the pointer stands still. Still, the watcher must not wake at all.
//
//   bench_mousehook [--moves N] [--rate HZ] [--idle-seconds S]
//
// Defaults: 10000 moves per phase at 2500 moves a second (4 s), 30 s still.
#include "MouseHook.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

[[noreturn]] void Fatal(const std::string &what)
{
    std::fprintf(stderr, "bench_mousehook: %s\n", what.c_str());
    std::exit(1);
}

std::set<pid_t> Threads()
{
    std::set<pid_t> tids;
    DIR *dir = opendir("/proc/self/task");
    if (!dir)
        Fatal("cannot list /proc/self/task");
    while (dirent *entry = readdir(dir)) {
        if (entry->d_name[0] != '.')
            tids.insert(static_cast<pid_t>(std::atoi(entry->d_name)));
    }
    closedir(dir);
    return tids;
}

// One thread's CPU time and voluntary context switches: each is one sleep, in
// poll or waiting for a reply of the X server, so with the pointer still any
// change means the watcher woke.
struct ThreadUse {
    double cpuMs = 0;
    long wakeups = 0;
};

ThreadUse Use(pid_t tid)
{
    ThreadUse use;
    // The thread's own CPU clock, as pthread_getcpuclockid builds it from the
    // thread id: nanoseconds, unlike the 10 ms ticks of /proc/.../stat.
    const clockid_t clock = static_cast<clockid_t>((~static_cast<unsigned>(tid) << 3) | 6);
    timespec ts{};
    if (clock_gettime(clock, &ts) == 0) {
        use.cpuMs = ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
    } else {
        std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string field;
        long utime = 0, stime = 0;
        for (int i = 3; fields >> field; ++i) {
            if (i == 14)
                utime = std::atol(field.c_str());
            if (i == 15) {
                stime = std::atol(field.c_str());
                break;
            }
        }
        use.cpuMs = (utime + stime) * 1000.0 / sysconf(_SC_CLK_TCK);
    }
    std::ifstream status("/proc/self/task/" + std::to_string(tid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
            use.wakeups = std::atol(line.c_str() + std::strlen("voluntary_ctxt_switches:"));
    }
    return use;
}

double ProcessCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 + usage.ru_stime.tv_sec * 1e3
        + usage.ru_stime.tv_usec / 1e3;
}

struct Server {
    pid_t pid = -1;
    std::string name;
};

// An Xvfb of its own on the first free display of 180 to 199.
Server StartXvfb()
{
    for (int number = 180; number < 200; ++number) {
        const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
        struct stat st;
        if (stat(lock.c_str(), &st) == 0)
            continue;
        const std::string name = ":" + std::to_string(number);
        const pid_t pid = fork();
        if (pid < 0)
            Fatal("fork failed");
        if (pid == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            execlp("Xvfb", "Xvfb", name.c_str(), "-noreset", "-nolisten", "tcp", "-screen", "0", "1024x768x24",
                   static_cast<char *>(nullptr));
            _exit(127);
        }
        const auto deadline = Clock::now() + 10s;
        while (Clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid)
                break;
            if (Display *probe = XOpenDisplay(name.c_str())) {
                XCloseDisplay(probe);
                return {pid, name};
            }
            poll(nullptr, 0, 20);
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    Fatal("no Xvfb could be started on displays :180 to :199");
}

void StopXvfb(const Server &server)
{
    kill(server.pid, SIGTERM);
    const auto deadline = Clock::now() + 5s;
    while (Clock::now() < deadline) {
        if (waitpid(server.pid, nullptr, WNOHANG) == server.pid)
            return;
        poll(nullptr, 0, 10);
    }
    kill(server.pid, SIGKILL);
    waitpid(server.pid, nullptr, 0);
}

// Drains this connection's events; counts the hook messages among them.
int CountMessages(Display *display, Atom type)
{
    int count = 0;
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage && event.xclient.message_type == type)
            ++count;
    }
    return count;
}

// Moves the pointer `moves` times by relative XTest motion, paced at `rate`
// moves a second; `step(i, dx, dy)` says by how much.
template <typename Step>
void Drive(Display *display, int moves, double rate, Atom type, int &messages, Step step)
{
    const auto start = Clock::now();
    for (int i = 0; i < moves; ++i) {
        int dx = 0, dy = 0;
        step(i, dx, dy);
        XTestFakeRelativeMotionEvent(display, dx, dy, 0);
        XFlush(display);
        const auto due = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>((i + 1) / rate));
        while (Clock::now() < due) {
            messages += CountMessages(display, type);
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(due - Clock::now());
            if (left.count() > 0) {
                const timespec pause{0, static_cast<long>(left.count()) * 1000};
                nanosleep(&pause, nullptr);
            }
        }
    }
    XSync(display, False);
}

void Report(const char *phase, const ThreadUse &before, const ThreadUse &after, double seconds, int moves,
            double processMs)
{
    const double cpu = after.cpuMs - before.cpuMs;
    const long wakeups = after.wakeups - before.wakeups;
    std::printf("%-28s %8.1f s %8.2f ms %7.3f %% %9ld", phase, seconds, cpu, 100.0 * cpu / (seconds * 1e3), wakeups);
    if (moves > 0)
        std::printf(" %8.2f us", cpu * 1e3 / moves);
    else
        std::printf(" %11s", "-");
    std::printf(" %10.2f ms\n", processMs);
}

} // namespace

int main(int argc, char **argv)
{
    int moves = 10000;
    double rate = 2500;
    int idleSeconds = 30;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--moves" && i + 1 < argc)
            moves = std::atoi(argv[++i]);
        else if (arg == "--rate" && i + 1 < argc)
            rate = std::atof(argv[++i]);
        else if (arg == "--idle-seconds" && i + 1 < argc)
            idleSeconds = std::atoi(argv[++i]);
        else
            Fatal("usage: bench_mousehook [--moves N] [--rate HZ] [--idle-seconds S]");
    }
    if (moves <= 0 || rate <= 0 || idleSeconds <= 0)
        Fatal("--moves, --rate and --idle-seconds must be positive");

    const Server server = StartXvfb();
    setenv("DISPLAY", server.name.c_str(), 1);
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        Fatal("cannot open " + server.name);
    int ev, er, maj, min;
    if (!XTestQueryExtension(display, &ev, &er, &maj, &min))
        Fatal("the server has no XTest");
    XChangePointerControl(display, True, True, 1, 1, 0);
    XTestFakeMotionEvent(display, 0, 500, 400, 0);

    // A top-level window of this process, the receiver of the messages.
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 10, 100, 200, 50, 0, 0, 0);
    const long pid = getpid();
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&pid), 1);
    XMapWindow(display, window);
    const Atom type = XInternAtom(display, "MouseHookMessage", False);
    XSync(display, False);

    const std::set<pid_t> before = Threads();
    HookMouse();
    std::vector<pid_t> added;
    for (pid_t tid : Threads()) {
        if (!before.count(tid))
            added.push_back(tid);
    }
    if (added.size() != 1)
        Fatal("HookMouse started " + std::to_string(added.size()) + " threads, expected the one watcher");
    const pid_t watcher = added.front();

    std::printf("libMouseHook.so watcher on %s: %d moves a phase at %.0f Hz, %d s still\n", server.name.c_str(), moves,
                rate, idleSeconds);
    std::printf("%-28s %10s %11s %9s %9s %11s %13s\n", "phase", "wall", "watcher CPU", "of a core", "sleeps",
                "per move", "process CPU");

    int messages = 0;
    // Away from the edge: a walk around the middle of the screen.
    {
        CountMessages(display, type);
        const ThreadUse start = Use(watcher);
        const double processStart = ProcessCpuMs();
        const auto t0 = Clock::now();
        int away = 0;
        Drive(display, moves, rate, type, away, [](int i, int &dx, int &dy) {
            static const int walk[8][2] = {{3, 0}, {2, 2}, {0, 3}, {-2, 2}, {-3, 0}, {-2, -2}, {0, -3}, {2, -2}};
            dx = walk[(i / 25) % 8][0];
            dy = walk[(i / 25) % 8][1];
        });
        const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        Report("moving away from the edge", start, Use(watcher), seconds, moves, ProcessCpuMs() - processStart);
        if (away != 0)
            std::printf("  unexpected: %d messages away from the edge\n", away);
    }
    // Pushing against the edge: up and a little sideways, the way a hand pushes.
    {
        Window root, child;
        int x = 0, y = 0, wx, wy;
        unsigned int mask;
        XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &wx, &wy, &mask);
        XTestFakeRelativeMotionEvent(display, 500 - x, -y, 0);
        XSync(display, False);
        poll(nullptr, 0, 200);
        CountMessages(display, type);
        const ThreadUse start = Use(watcher);
        const double processStart = ProcessCpuMs();
        const auto t0 = Clock::now();
        Drive(display, moves, rate, type, messages, [](int i, int &dx, int &dy) {
            static const int along[4] = {-1, 0, 1, 0}; // back and forth along the edge
            dx = along[i % 4];
            dy = -1;
        });
        const auto deadline = Clock::now() + 2s;
        while (messages < moves / 8 && Clock::now() < deadline) {
            messages += CountMessages(display, type);
            poll(nullptr, 0, 5);
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        Report("pushing at the edge", start, Use(watcher), seconds, moves, ProcessCpuMs() - processStart);
        std::printf("  %d messages for %d px of push (%d expected)\n", messages, moves, moves / 8);
    }
    // Still, away from the edge.
    {
        XTestFakeRelativeMotionEvent(display, 0, 300, 0);
        XSync(display, False);
        poll(nullptr, 0, 500); // the watcher measures this last move
        CountMessages(display, type);
        const ThreadUse start = Use(watcher);
        const double processStart = ProcessCpuMs();
        const auto t0 = Clock::now();
        poll(nullptr, 0, idleSeconds * 1000);
        const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        Report("pointer still", start, Use(watcher), seconds, 0, ProcessCpuMs() - processStart);
    }

    UnHookMouse();
    XCloseDisplay(display);
    StopXvfb(server);
    return 0;
}
