#include "EdgeWatcher.h"

#include "MouseHookConstants.h"

#include <X11/Xlibint.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/Xrandr.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace mousehook {
namespace {

// Errors on the watcher's own connection (a window that went away between the
// list and the send) are expected and harmless. They are dropped here, per
// connection and for every error code, so that Xlib's process-wide handler,
// whose default ends the program, never sees them and the program's own
// handler stays untouched. A request that waited for a reply then just fails.
Bool DropError(Display *, XErrorEvent *, xError *)
{
    return False;
}

// Only the screen's pointer axes matter: valuator 0 is x and 1 is y on every
// pointer device. Scroll wheels move further valuators alone.
constexpr int ValuatorX = 0;
constexpr int ValuatorY = 1;
constexpr unsigned int AnyButtonMask = Button1Mask | Button2Mask | Button3Mask;

} // namespace

std::unique_ptr<EdgeWatcher> EdgeWatcher::Start(std::string &whyNot)
{
    const char *name = std::getenv("DISPLAY");
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        whyNot = name && *name ? std::string("cannot open X display ") + name : "no X display (DISPLAY is not set)";
        return nullptr;
    }
    for (int code = 0; code < 256; ++code)
        XESetWireToError(display, code, DropError);

    int xiOpcode = 0, eventBase = 0, errorBase = 0;
    if (!XQueryExtension(display, "XInputExtension", &xiOpcode, &eventBase, &errorBase)) {
        whyNot = "the X server has no XInput extension";
        XCloseDisplay(display);
        return nullptr;
    }
    // 2.2 is asked for so that raw events arrive during other clients' grabs too.
    int major = 2, minor = 2;
    if (XIQueryVersion(display, &major, &minor) != Success || major < 2) {
        whyNot = "the X server has no XInput 2 (version " + std::to_string(major) + "." + std::to_string(minor) + ")";
        XCloseDisplay(display);
        return nullptr;
    }

    int randrEventBase = -1, randrErrorBase = 0;
    bool randrMonitors = false;
    if (XRRQueryExtension(display, &randrEventBase, &randrErrorBase)) {
        int rrMajor = 0, rrMinor = 0;
        XRRQueryVersion(display, &rrMajor, &rrMinor);
        randrMonitors = rrMajor > 1 || (rrMajor == 1 && rrMinor >= 5);
    } else {
        randrEventBase = -1;
    }

    const int wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd < 0) {
        whyNot = std::string("cannot create the watcher's wake-up descriptor: ") + std::strerror(errno);
        XCloseDisplay(display);
        return nullptr;
    }

    std::unique_ptr<EdgeWatcher> watcher(new EdgeWatcher(display, xiOpcode, randrEventBase, randrMonitors, wakeFd));
    Window root = watcher->m_root;

    // Master devices only: with all devices every push would come twice, from
    // the physical (slave) device and again from the master pointer.
    unsigned char mask[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(mask, XI_RawMotion);
    XISetMask(mask, XI_RawButtonPress);
    XISetMask(mask, XI_RawButtonRelease);
    XIEventMask events{XIAllMasterDevices, static_cast<int>(sizeof mask), mask};
    XISelectEvents(display, root, &events, 1);
    // Windows appearing, going or moving into frames under the root renew the
    // list of receivers.
    XSelectInput(display, root, SubstructureNotifyMask);
    if (randrEventBase >= 0)
        XRRSelectInput(display, root, RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
    watcher->ReloadMonitors();
    // From here on every raw event reaches the watcher. Where the pointer is
    // now is where the first batch starts from; motion made before this query
    // is already in it.
    watcher->m_startSerial = NextRequest(display);
    Window rootReturn = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned int buttons = 0;
    if (XQueryPointer(display, root, &rootReturn, &child, &rootX, &rootY, &winX, &winY, &buttons))
        watcher->m_lastPlace = PointerPlace{rootX, rootY};
    XSync(display, False);

    watcher->m_thread = std::thread(&EdgeWatcher::Run, watcher.get());
    return watcher;
}

EdgeWatcher::EdgeWatcher(Display *display, int xiOpcode, int randrEventBase, bool randrMonitors, int wakeFd)
    : m_display(display),
      m_root(DefaultRootWindow(display)),
      m_xiOpcode(xiOpcode),
      m_randrEventBase(randrEventBase),
      m_randrMonitors(randrMonitors),
      m_wakeFd(wakeFd),
      m_meter(PixelsPerMessage),
      m_targets(display, DefaultRootWindow(display))
{
    XSetIOErrorExitHandler(display, &EdgeWatcher::OnConnectionLost, this);
}

EdgeWatcher::~EdgeWatcher()
{
    m_stop = true;
    const std::uint64_t one = 1;
    if (write(m_wakeFd, &one, sizeof one) < 0) {
        // The counter cannot overflow with one write; the stop flag is set anyway.
    }
    if (m_thread.joinable())
        m_thread.join();
    close(m_wakeFd);
    XCloseDisplay(m_display);
}

void EdgeWatcher::OnConnectionLost(Display *, void *self)
{
    // Returning keeps the process alive; the program decides what a lost X
    // server means for it. The watcher only stops.
    static_cast<EdgeWatcher *>(self)->m_connectionLost = true;
}

void EdgeWatcher::Run()
{
    const int xFd = ConnectionNumber(m_display);
    while (!m_stop && !m_connectionLost) {
        // Everything already queued or readable is one batch.
        while (!m_stop && !m_connectionLost && XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
            Dispatch(event);
        }
        if (m_stop || m_connectionLost)
            break;
        if (m_batchMoved) {
            MeasureBatch();
            continue;
        }
        // Sleep only now, right after XPending found nothing queued and nothing
        // unread (it has flushed the requests, too). No Xlib call may come in
        // between: most of them, XFlush included, move whatever the socket holds
        // into Xlib's queue, where poll cannot see it. An event taken that way
        // would wait for the next one, and a push's last motion would be
        // measured only with the motion that takes the pointer off the edge,
        // which drops it.
        pollfd fds[2] = {{xFd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
            break;
        if (fds[1].revents & POLLIN)
            break;
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            if (!(fds[0].revents & POLLIN))
                break;
        }
    }
}

void EdgeWatcher::Dispatch(XEvent &event)
{
    if (event.type == GenericEvent && event.xcookie.extension == m_xiOpcode) {
        if (event.xany.serial < m_startSerial)
            return; // older than the starting place

        if (!XGetEventData(m_display, &event.xcookie))
            return;
        if (event.xcookie.evtype == XI_RawButtonPress || event.xcookie.evtype == XI_RawButtonRelease) {
            // Buttons in the order of the motion: a drag that reaches the edge
            // is no push, even when the button is up again by the time of the
            // query. Wheel clicks (4 to 7) hold nothing.
            const auto *raw = static_cast<const XIRawEvent *>(event.xcookie.data);
            if (raw->detail < 4 || (raw->detail > 7 && raw->detail < 32)) {
                const unsigned int bit = 1u << raw->detail;
                m_heldButtons = event.xcookie.evtype == XI_RawButtonPress ? (m_heldButtons | bit) : (m_heldButtons & ~bit);
                m_batchDragged = true;
            }
        } else if (event.xcookie.evtype == XI_RawMotion) {
            if (m_heldButtons)
                m_batchDragged = true;
            const auto *raw = static_cast<const XIRawEvent *>(event.xcookie.data);
            // Transformed values: the pixels the pointer was to move, after
            // acceleration, as the user sees the pointer go elsewhere.
            const double *value = raw->valuators.values;
            const int count = raw->valuators.mask_len * 8;
            for (int i = 0; i < count; ++i) {
                if (!XIMaskIsSet(raw->valuators.mask, i))
                    continue;
                if (i == ValuatorX) {
                    m_batchMoved = true;
                } else if (i == ValuatorY) {
                    m_batchMoved = true;
                    m_batchDy += *value;
                    m_batchSteps.push_back(*value);
                }
                ++value;
            }
        }
        XFreeEventData(m_display, &event.xcookie);
        return;
    }
    if (m_randrEventBase >= 0
        && (event.type == m_randrEventBase + RRScreenChangeNotify || event.type == m_randrEventBase + RRNotify)) {
        XRRUpdateConfiguration(&event);
        ReloadMonitors();
        return;
    }
    switch (event.type) {
    case CreateNotify:
    case DestroyNotify:
    case ReparentNotify:
    case MapNotify:
        m_targets.MarkChanged();
        break;
    default:
        break;
    }
}

void EdgeWatcher::MeasureBatch()
{
    Window rootReturn = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned int buttons = 0;
    const unsigned long querySerial = NextRequest(m_display);
    const bool onThisScreen
        = XQueryPointer(m_display, m_root, &rootReturn, &child, &rootX, &rootY, &winX, &winY, &buttons);
    // Events made before the server answered the query are motion that this
    // place already shows, wherever they were on their way: they belong to this
    // batch. An event's serial is the last request the server had processed when
    // it made the event, so those are the ones older than the query; the rest
    // make the next batch. Reading on (not only Xlib's own queue) also takes the
    // events that arrived with the reply but still wait in the connection.
    while (XEventsQueued(m_display, QueuedAfterReading) > 0) {
        XEvent next;
        XPeekEvent(m_display, &next);
        if (next.xany.serial >= querySerial)
            break;
        XNextEvent(m_display, &next);
        Dispatch(next);
    }
    MotionBatch batch;
    batch.intendedDy = m_batchDy;
    batch.before = m_lastPlace;
    batch.after = {rootX, rootY};
    batch.afterOnEdge = onThisScreen && m_edges.IsOnEdge(rootX, rootY);
    batch.buttonHeld = m_batchDragged || (buttons & AnyButtonMask) != 0;
    // The batch may have left the edge and come back, or pushed and left (a
    // push, then a quick move down): the meter follows the pointer's way. The
    // steps' storage is lent, and kept for the next batch.
    if (onThisScreen && m_lastPlace)
        batch.edgeRow = m_edges.EdgeRowAbove(m_lastPlace->x, m_lastPlace->y);
    batch.steps.swap(m_batchSteps);
    m_batchDragged = false;
    m_batchMoved = false;
    m_batchDy = 0;
    m_lastPlace = onThisScreen ? std::optional<PointerPlace>(batch.after) : std::nullopt;
    m_targets.Send(m_meter.Measure(batch));
    m_batchSteps.swap(batch.steps);
    m_batchSteps.clear();
}

void EdgeWatcher::ReloadMonitors()
{
    std::vector<MonitorRect> rects;
    if (m_randrMonitors) {
        int count = 0;
        if (XRRMonitorInfo *monitors = XRRGetMonitors(m_display, m_root, True, &count)) {
            for (int i = 0; i < count; ++i)
                rects.push_back({monitors[i].x, monitors[i].y, monitors[i].width, monitors[i].height});
            XRRFreeMonitors(monitors);
        }
    }
    // Without RandR monitors the whole screen is one monitor.
    if (rects.empty()) {
        const int screen = DefaultScreen(m_display);
        rects.push_back({0, 0, DisplayWidth(m_display, screen), DisplayHeight(m_display, screen)});
    }
    m_edges.SetMonitors(std::move(rects));
}

} // namespace mousehook
