#include "PushMeter.h"

#include <algorithm>
#include <cmath>

namespace mousehook {

PushMeter::PushMeter(double pixelsPerMessage) : m_pixelsPerMessage(pixelsPerMessage) {}

int PushMeter::Measure(const MotionBatch &batch)
{
    if (batch.buttonHeld || !batch.before) {
        if (batch.buttonHeld || !batch.afterOnEdge)
            m_pending = 0;
        return 0;
    }
    if (!batch.afterOnEdge) {
        // Left the edge (or never reached it): what was pushed before leaving
        // counts, the part of a message left over is dropped.
        const int messages = Take(HeldBackOnTheWay(batch));
        m_pending = 0;
        return messages;
    }
    const double upward = std::max(0.0, -batch.intendedDy);
    const double actualDy = batch.after.y - batch.before->y;
    // Held back = what the events asked for upwards beyond what the pointer
    // actually went up. Never more than the upward motion itself, so a pointer
    // put on the edge by other means (a warp) is no push.
    return Take(std::clamp(actualDy - batch.intendedDy, 0.0, upward));
}

double PushMeter::HeldBackOnTheWay(const MotionBatch &batch)
{
    if (!batch.edgeRow || batch.steps.empty())
        return 0;
    const double edge = *batch.edgeRow;
    double y = batch.before->y;
    double heldBack = 0;
    for (const double dy : batch.steps) {
        y += dy;
        if (y < edge) {
            heldBack += edge - y;
            y = edge;
        }
    }
    // The server keeps fractions of a pixel of accelerated motion to itself.
    return std::abs(y - batch.after.y) < 1.0 ? heldBack : 0.0;
}

int PushMeter::Take(double heldBack)
{
    m_pending += heldBack;
    const double messages = std::floor(m_pending / m_pixelsPerMessage);
    m_pending -= messages * m_pixelsPerMessage;
    return static_cast<int>(messages);
}

} // namespace mousehook
