"""The real zorvel and its real mouse-hook library under Xvfb: the parked bar
comes back when the pointer is pushed upwards against the top edge for as long
as sensitivity 50 takes (one hook message per 8 px held back by the edge: the
51st message, past 408 px), and not before."""

import time

from Xlib import X
from Xlib.ext import xtest

import bar_motion as m
import zorvel_e2e as e2e

check = e2e.Check()
PIXELS_PER_MESSAGE = 8


def place(s, x, y):
    xtest.fake_input(s.x, X.MotionNotify, detail=0, x=x, y=y)  # absolute
    s.x.sync()


def push_up(s, pixels, step=PIXELS_PER_MESSAGE):
    """Relative XTest motion upwards, as a hand pushing the mouse (warping makes no raw events)."""
    for _ in range(pixels // step):
        xtest.fake_input(s.x, X.MotionNotify, detail=1, x=0, y=-step)  # relative
        s.x.sync()
        time.sleep(0.005)


with e2e.Session() as s:
    proc, bar = m.start_bar_with_pointer_away(s)
    m.wait_parked(s, bar, 30)

    place(s, 640, 0)
    push_up(s, 45 * PIXELS_PER_MESSAGE)
    check(m.stays(s, lambda: m.is_parked(s, bar), 1.0), "a push of 360 px (45 messages) leaves the bar parked")
    pushed = time.monotonic()
    push_up(s, 10 * PIXELS_PER_MESSAGE)
    e2e.wait_for(lambda: m.is_shown(s, bar), 3, interval=0.01, what="the bar shown by the push")
    check(True, f"pushing on past 408 px brings it back ({time.monotonic() - pushed:.2f} s after the last push began)")
    check(proc.poll() is None, "zorvel still runs")
    m.close_display(s)

check.finish()
