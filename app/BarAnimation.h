#pragma once
// The arithmetic of the bar's show and hide animation, apart from the window:
// the 8-bit blend value, the step counters and the Top each tick gives, and
// the pointer test of the hide check.
#include <QPoint>

#include <cstdint>

// The bar's Top while it is parked above the screen. It does not follow the
// bar's height: a bar taller than 94 px keeps its lower part on the screen,
// transparent, and the stroke counter wakes the bar only at exactly this Top.
inline constexpr int HiddenTop = -94;

namespace BarAnimation {

// Pixels the bar slides per tick, down while showing, up while hiding.
inline constexpr int SlidePerTick = 4;
// A show ends on the tick that takes the blend value above this, a hide on the
// tick that takes it below the other; both then jump to their end state.
inline constexpr int ShownAbove = 220;
inline constexpr int HiddenBelow = 20;
// The hide check runs every 10 s from start; the first automatic hide makes it
// 5 s for the rest of the run, so a bar the user has once left alone goes away sooner.
inline constexpr int FirstHideCheckMs = 10000;
inline constexpr int LaterHideCheckMs = 5000;

struct Tick {
    std::uint8_t blendValue;
    int top;
    bool finished; // the animation's timer stops after this tick
};

// One show tick: the blend value grows by the low 8 bits of the step count,
// wrapping modulo 256 as the window's 8-bit blend value does, and the bar
// stands 4 px lower per tick from HiddenTop. Advances glowStep.
Tick GlowTick(std::uint8_t blendValue, std::int32_t &glowStep);

// One hide tick: the blend value falls by the low 8 bits of the step count,
// wrapping, and the bar stands 4 px higher per tick from Top 0. Advances fadeStep.
Tick FadeTick(std::uint8_t blendValue, std::int32_t &fadeStep);

// True when the pointer keeps the shown bar: within its columns, both edges
// included, and no lower than its Height. The test describes the bar as it
// stands when shown, at Top 0, whatever its Top is at the moment, so Height
// and not Top + Height is the lower bound; the row just below the bar still
// counts, and anything above the screen (a display above the primary) too.
bool PointerKeepsBar(QPoint pointer, int left, int width, int height);

}
