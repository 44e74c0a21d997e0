// Activation by strokes along the top edge of the screen: the hook library
// sends one code-4 message per push; enough of them while the bar is parked
// bring it back.
#include "TForm1.h"

#include <limits>

namespace {
// The only event code acted on: one pointer event at the top edge.
constexpr std::uint8_t TopEdgeEvent = 4;
}

// Runs for every pointer event along the top edge: no allocation, no file,
// one increment and two comparisons.
void TForm1::HandleHookMessage(std::uint8_t code)
{
    if (code != TopEdgeEvent)
        return;
    // While parked nothing resets the count; it stops at the top of its range
    // rather than overflow into a negative count.
    if (::StrokeCount < std::numeric_limits<std::int32_t>::max())
        ++::StrokeCount;
    if (::StrokeCount <= ::Sensitivity)
        return;
    // Parked is Top at exactly HiddenTop; during a hide the count goes on
    // growing, and the first push after the bar has arrived brings it back.
    if (Top() != HiddenTop)
        return;
    StartGlow();
}
