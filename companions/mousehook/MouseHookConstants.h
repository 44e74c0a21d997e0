// Figures that decide how a push against the top edge is measured and told.
#pragma once

#include <chrono>

namespace mousehook {

// The name every process interns to get the same message atom.
inline constexpr const char *MessageName = "MouseHookMessage";

// The event code for pointer pressure at the top edge, in the low byte of data.l[0].
inline constexpr long TopEdgeEventCode = 4;

// One message per this many pixels of upward motion that the edge holds back.
// Counting pixels rather than events makes a 125 Hz and a 1000 Hz mouse feel the
// same. At the bar's default sensitivity of 50 the 51st message shows it:
// 51 x 8 = 408 pixels of push, a deliberate shove of about half a second, while
// the odd overshoot on the way to a window's top row (some tens of pixels) is
// far from enough.
inline constexpr double PixelsPerMessage = 8.0;

// The list of this process's top-level windows is rebuilt when the window tree
// under the root changes, and at the latest when it is this old at a send, so a
// window whose process id was set after it was created is found as well.
inline constexpr std::chrono::milliseconds TargetListMaxAge{1000};

} // namespace mousehook
