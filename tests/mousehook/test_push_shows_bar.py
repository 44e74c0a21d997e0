"""The real zorvel and the real libMouseHook.so under Xvfb: pushing the pointer up
against the top edge (XTest relative motion at row 0) brings the parked bar back
after as many pixels as sensitivity 50 takes, 51 messages of 8 px; the same motion
one row lower never does."""

import os

from Xlib import X
from Xlib.ext import xtest

import zorvel_e2e as e2e

PIXELS_PER_MESSAGE = 8
SENSITIVITY = 50
HIDDEN_TOP = -94

check = e2e.Check()


def move(s, dx, dy):
    """Relative XTest motion: raw motion the way a mouse makes it."""
    xtest.fake_input(s.x, X.MotionNotify, detail=1, x=dx, y=dy)
    s.x.sync()


def place(s, x, y):
    p = s.root().query_pointer()
    move(s, x - p.root_x, y - p.root_y)


def top(s, bar):
    return s.geometry(bar)[1]


def stays(condition, seconds):
    """True when condition holds all the time until the deadline."""
    try:
        e2e.wait_for(lambda: not condition(), seconds, what="a change")
        return False
    except AssertionError:
        return True


with e2e.Session() as s:
    s.start_x()
    s.start_budgetweb("--demo")
    s.write_config(f"[Config]\nSensitivity={SENSITIVITY}\n")
    proc = s.start_zorvel()
    bar = s.find_window(proc.pid, "Zorvel", timeout=40)
    left, _, width, height = s.geometry(bar)
    # Pointer well away from the bar so that the hide check parks it.
    place(s, 640, 600)
    e2e.wait_for(lambda: top(s, bar) == HIDDEN_TOP, 30, what="the bar to park at -94")
    check(True, "the bar parks by itself")
    x = left + width // 2

    # One row lower: each 1-px push only brings the pointer to row 0.
    for i in range(2 * (SENSITIVITY + 1) * PIXELS_PER_MESSAGE):
        place(s, x + i % 5, 1)
        move(s, 0, -1)
    place(s, x, 300)
    check(stays(lambda: top(s, bar) == HIDDEN_TOP, 1.5), "the same motion one row lower leaves the bar parked")

    # At the edge: 50 messages' worth leaves it parked, 8 px more bring it back.
    place(s, x, 0)
    for _ in range(SENSITIVITY * PIXELS_PER_MESSAGE):
        move(s, 0, -1)
    check(stays(lambda: top(s, bar) == HIDDEN_TOP, 1.5), f"{SENSITIVITY * PIXELS_PER_MESSAGE} px of push: still parked")
    for _ in range(PIXELS_PER_MESSAGE):
        move(s, 0, -1)
    place(s, x, 30)  # inside the bar once it is down, so the hide check keeps it shown
    try:
        e2e.wait_for(lambda: top(s, bar) == 0 and s.opacity(bar) > 0.99, 3, what="the bar at Top 0")
        check(True, f"{(SENSITIVITY + 1) * PIXELS_PER_MESSAGE} px of push bring the bar to Top 0, opaque")
    except AssertionError as e:
        check(False, f"the push brings the bar back ({e}; Top {top(s, bar)})")
    check(proc.poll() is None, "zorvel still runs")

check.finish()
