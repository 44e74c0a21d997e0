// The watcher thread of one process: its own X connection, XInput 2 raw motion
// of the master pointer on the root window (seen whatever window lies under the
// pointer), the monitors' layout from RandR, and the hook messages it sends.
#pragma once

#include "EdgeMap.h"
#include "HookTargets.h"
#include "PushMeter.h"

#include <X11/Xlib.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace mousehook {

class EdgeWatcher {
public:
    // Connects, selects the events and starts the thread; the selection has
    // reached the server when this returns. Null, with the reason, when there
    // is no display or no XInput 2.
    static std::unique_ptr<EdgeWatcher> Start(std::string &whyNot);

    // Wakes the thread, joins it and closes the connection.
    ~EdgeWatcher();

    EdgeWatcher(const EdgeWatcher &) = delete;
    EdgeWatcher &operator=(const EdgeWatcher &) = delete;

private:
    EdgeWatcher(Display *display, int xiOpcode, int randrEventBase, bool randrMonitors, int wakeFd);

    void Run();
    void Dispatch(XEvent &event);
    void MeasureBatch();
    void ReloadMonitors();
    void ConnectionLost();
    static void OnConnectionLost(Display *display, void *self);

    Display *m_display;
    Window m_root;
    int m_xiOpcode;
    int m_randrEventBase; // -1 without RandR
    bool m_randrMonitors; // RandR 1.5: XRRGetMonitors
    int m_wakeFd;
    std::atomic<bool> m_stop{false};
    bool m_connectionLost = false;

    EdgeMap m_edges;
    PushMeter m_meter;
    HookTargets m_targets;

    // The current batch: raw events read since the last pointer query.
    bool m_batchMoved = false;
    double m_batchDy = 0;
    std::vector<double> m_batchSteps; // each event's vertical motion, in order
    bool m_batchDragged = false;
    unsigned long m_startSerial = 0;
    unsigned int m_heldButtons = 0;
    std::optional<PointerPlace> m_lastPlace;

    std::thread m_thread;
};

} // namespace mousehook
