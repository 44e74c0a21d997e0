#include "EdgeMap.h"

#include <algorithm>
#include <utility>

namespace mousehook {

void EdgeMap::SetMonitors(std::vector<MonitorRect> monitors)
{
    std::erase_if(monitors, [](const MonitorRect &m) { return m.width <= 0 || m.height <= 0; });
    m_monitors = std::move(monitors);
}

bool EdgeMap::IsOnEdge(int x, int y) const
{
    const auto topRowHere = [x, y](const MonitorRect &m) { return m.y == y && m.Contains(x, y); };
    if (std::none_of(m_monitors.begin(), m_monitors.end(), topRowHere))
        return false;
    // A monitor above at this column lets the pointer go on up: no edge.
    return std::none_of(m_monitors.begin(), m_monitors.end(),
                        [x, y](const MonitorRect &m) { return m.Contains(x, y - 1); });
}

std::optional<int> EdgeMap::EdgeRowAbove(int x, int y) const
{
    for (const MonitorRect &m : m_monitors) {
        if (m.Contains(x, y) && IsOnEdge(x, m.y))
            return m.y;
    }
    return std::nullopt;
}

} // namespace mousehook
