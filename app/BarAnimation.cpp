#include "BarAnimation.h"

namespace BarAnimation {

namespace {
// The step counters are signed 32-bit and would only overflow after years of
// ticks with both animations running against each other; wrap them rather
// than overflow.
std::int32_t next(std::int32_t step)
{
    return std::int32_t(std::uint32_t(step) + 1u);
}
}

Tick GlowTick(std::uint8_t blendValue, std::int32_t &glowStep)
{
    const auto blend = std::uint8_t(blendValue + std::uint8_t(glowStep));
    glowStep = next(glowStep);
    const auto top = int(std::uint32_t(SlidePerTick) * std::uint32_t(glowStep) + std::uint32_t(HiddenTop));
    if (blend > ShownAbove)
        return {255, 0, true};
    return {blend, top, false};
}

Tick FadeTick(std::uint8_t blendValue, std::int32_t &fadeStep)
{
    const auto blend = std::uint8_t(blendValue - std::uint8_t(fadeStep));
    fadeStep = next(fadeStep);
    const auto top = int(0u - std::uint32_t(SlidePerTick) * std::uint32_t(fadeStep));
    if (blend < HiddenBelow)
        return {0, HiddenTop, true};
    return {blend, top, false};
}

bool PointerKeepsBar(QPoint pointer, int left, int width, int height)
{
    // In 64 bits so that a bar near the end of the coordinate range does not wrap.
    const std::int64_t x = pointer.x();
    return std::int64_t(left) <= x && x <= std::int64_t(left) + width && pointer.y() <= height;
}

}
