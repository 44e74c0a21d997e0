"""The real zorvel under Xvfb: the Hide button slides the bar up from where it
stands (no jump out of sight), and leaves the hide check's interval at
10000 ms: shown again by strokes, the bar stays about 10 s before it hides."""

import time

import bar_motion as m
import zorvel_e2e as e2e

check = e2e.Check()
BAR_LEFT = 235
HIDE_BUTTON = (BAR_LEFT + 757 + 8, 2 + 8)  # the left-most button of the upper group

with e2e.Session() as s:
    proc, bar = m.start_bar_with_pointer_away(s)
    check(m.is_shown(s, bar), "shown at start")
    clicked = time.monotonic()
    clicking = m.click_later(s, *HIDE_BUTTON)
    frames = m.watch_until(s, bar, lambda top, opacity: top == m.PARKED_TOP and opacity == 0.0, 5)
    moving = [(top, opacity) for _, top, opacity in frames if top != 0]
    # A tick sets the opacity, then Top: a look may fall between the two.
    tops = [top for i, (top, _) in enumerate(moving) if i == 0 or moving[i - 1][0] != top]
    check(tops and -8 <= tops[0] <= -4, f"slides up from where it stands: first Top {tops[:1]}")
    check(all(a > b for a, b in zip(tops, tops[1:])), f"steadily upwards (tops seen {tops})")
    check(m.PARKED_TOP not in tops[:-1], "no jump out of sight before the last tick")
    clicking.wait(5)
    took = frames[-1][0] - clicked
    check(took < 1.5, f"parked {took:.2f} s after the click")

    # Shown again by strokes with the pointer away: the next hide check comes a full 10 s later.
    m.move_pointer(s, 20, 700)
    m.send_hook(s, bar, 4, 51)
    woken = time.monotonic()
    e2e.wait_for(lambda: m.is_shown(s, bar), 2, interval=0.01, what="the bar shown again")
    left = m.watch_until(s, bar, lambda top, opacity: top != 0, 20, interval=0.01)
    stayed = left[-1][0] - woken
    # A coarse timer may fire up to 5 % early; 5 s would mean the interval had changed.
    check(8.5 <= stayed <= 12.0, f"after Hide the hide check is still 10 s: it stayed {stayed:.2f} s")
    m.wait_parked(s, bar, 5)
    check(proc.poll() is None, "zorvel still runs")
    m.close_display(s)

check.finish()
