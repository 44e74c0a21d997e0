// Where the top edge of the desktop is: the top row of each monitor, at the
// columns where no other monitor lies directly above it. There the pointer
// stops, so upward motion is pressure against the edge.
#pragma once

#include <optional>
#include <vector>

namespace mousehook {

struct MonitorRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool Contains(int px, int py) const
    {
        return px >= x && px < x + width && py >= y && py < y + height;
    }
};

class EdgeMap {
public:
    void SetMonitors(std::vector<MonitorRect> monitors);
    const std::vector<MonitorRect> &Monitors() const { return m_monitors; }

    // True when (x, y) lies on a monitor's top row with nothing above it in that
    // column. A wide monitor under a narrow one has an edge where it sticks out.
    bool IsOnEdge(int x, int y) const;

    // The edge row above (x, y): the top row of the monitor that holds the
    // point, if that row is an edge in this column. None where another monitor
    // lies above or no monitor holds the point.
    std::optional<int> EdgeRowAbove(int x, int y) const;

private:
    std::vector<MonitorRect> m_monitors;
};

} // namespace mousehook
