#include "PushMeter.h"

#include <algorithm>
#include <cmath>

namespace mousehook {

PushMeter::PushMeter(double pixelsPerMessage) : m_pixelsPerMessage(pixelsPerMessage) {}

int PushMeter::Measure(const MotionBatch &batch)
{
    if (batch.buttonHeld) {
        m_pending = 0;
        return 0;
    }
    if (!batch.before) {
        if (!batch.afterOnEdge)
            m_pending = 0;
        return 0;
    }
    if (const std::optional<int> messages = FollowTheWay(batch))
        return *messages;
    if (!batch.afterOnEdge) {
        m_pending = 0;
        return 0;
    }
    // The way is unknown (no edge row above the place before, or the pointer
    // was moved by other means too): held back = what the events asked for
    // upwards beyond what the pointer actually went up. Never more than the
    // upward motion itself, so a pointer put on the edge by a warp is no push.
    const double upward = std::max(0.0, -batch.intendedDy);
    const double actualDy = batch.after.y - batch.before->y;
    return Take(std::clamp(actualDy - batch.intendedDy, 0.0, upward));
}

std::optional<int> PushMeter::FollowTheWay(const MotionBatch &batch)
{
    if (!batch.edgeRow || batch.steps.empty())
        return std::nullopt;
    const double edge = *batch.edgeRow;
    // A first pass: the way must end where the pointer is. The server keeps
    // fractions of a pixel of accelerated motion to itself.
    double y = batch.before->y;
    for (const double dy : batch.steps)
        y = std::max(edge, y + dy);
    if (std::abs(y - batch.after.y) >= 1.0)
        return std::nullopt;
    y = batch.before->y;
    int messages = 0;
    for (const double dy : batch.steps) {
        y += dy;
        if (y < edge) {
            messages += Take(edge - y);
            y = edge;
        } else if (y >= edge + 1.0) {
            m_pending = 0; // off the edge: the part of a message gathered so far is gone
        }
    }
    if (!batch.afterOnEdge)
        m_pending = 0;
    return messages;
}

int PushMeter::Take(double heldBack)
{
    m_pending += heldBack;
    const double messages = std::floor(m_pending / m_pixelsPerMessage);
    m_pending -= messages * m_pixelsPerMessage;
    return static_cast<int>(messages);
}

} // namespace mousehook
