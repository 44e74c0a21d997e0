"""The real zorvel under Xvfb: the bar shown at start hides by itself at the
first hide check, about 10 s later, when the pointer is elsewhere: it leaves
at once, then Top -94 and opacity 0 within half a second."""

import time

import bar_motion as m
import zorvel_e2e as e2e

check = e2e.Check()

with e2e.Session() as s:
    proc, bar = m.start_bar_with_pointer_away(s)
    appeared = time.monotonic()
    check(m.is_shown(s, bar), f"shown at start: Top 0, opaque (Top {m.top(s, bar)}, opacity {s.opacity(bar)})")

    # The first change of Top is the hide check's moment.
    frames = m.watch_until(s, bar, lambda top, opacity: top != 0, 30, interval=0.005)
    check(all(top == 0 and opacity == 1.0 for _, top, opacity in frames[:-1]),
          "shown, opaque and still until the hide check")
    hide_check = frames[-1][0]
    waited = hide_check - appeared
    check(8.5 <= waited <= 12.5, f"the hide check comes about 10 s after start ({waited:.2f} s)")
    parked = m.watch_until(s, bar, lambda top, opacity: top == m.PARKED_TOP and opacity == 0.0, 5)
    took = parked[-1][0] - hide_check
    check(took <= 0.5, f"Top -94 and opacity 0 within 0.5 s of the hide check ({took:.3f} s)")
    tops = [top for _, top, _ in frames[-1:] + parked]
    # It vanishes at once and slides up from Top -4, never lower than -4 after leaving.
    check(all(-94 <= top <= -4 for top in tops), f"out of sight at once, sliding up from -4 (tops seen {tops})")
    check(s.geometry(bar) == (235, -94, 810, 62), f"parked at 235,-94, 810 x 62 (got {s.geometry(bar)})")
    check(m.stays(s, lambda: m.is_parked(s, bar), 1.0), "stays parked")
    check(proc.poll() is None, "zorvel still runs")
    m.close_display(s)

check.finish()
