#include "PushMeter.h"

#include <algorithm>
#include <cmath>

namespace mousehook {

PushMeter::PushMeter(double pixelsPerMessage) : m_pixelsPerMessage(pixelsPerMessage) {}

int PushMeter::Measure(const MotionBatch &batch)
{
    if (batch.buttonHeld || !batch.afterOnEdge) {
        m_pending = 0;
        return 0;
    }
    if (!batch.before)
        return 0;
    const double upward = std::max(0.0, -batch.intendedDy);
    const double actualDy = batch.after.y - batch.before->y;
    // Held back = what the events asked for upwards beyond what the pointer
    // actually went up. Never more than the upward motion itself, so a pointer
    // put on the edge by other means (a warp) is no push.
    const double heldBack = std::clamp(actualDy - batch.intendedDy, 0.0, upward);
    m_pending += heldBack;
    const double messages = std::floor(m_pending / m_pixelsPerMessage);
    m_pending -= messages * m_pixelsPerMessage;
    return static_cast<int>(messages);
}

} // namespace mousehook
