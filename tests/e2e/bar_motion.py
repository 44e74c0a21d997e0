"""Watching the bar move and fade from outside, and sending it hook messages
from another X client, as the mouse-hook library does."""

import subprocess
import time

from Xlib import X
from Xlib.protocol import event

import zorvel_e2e as e2e

PARKED_TOP = -94


def top(session, bar):
    return session.geometry(bar)[1]


def is_parked(session, bar):
    return top(session, bar) == PARKED_TOP and session.opacity(bar) == 0.0


def is_shown(session, bar):
    return top(session, bar) == 0 and abs(session.opacity(bar) - 1.0) < 1e-9


def send_hook(session, bar, lparam, count=1):
    """Hook messages to the bar's window: type "MouseHookMessage", format 32, data.l[0] = lparam."""
    kind = session.atom("MouseHookMessage")
    for _ in range(count):
        message = event.ClientMessage(window=bar, client_type=kind, data=(32, [lparam & 0xFFFFFFFF, 0, 0, 0, 0]))
        bar.send_event(message, event_mask=X.NoEventMask)
    session.x.sync()


def stays(session, condition, seconds, interval=0.02):
    """True when condition holds at every look for the given time (a check that nothing happens)."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if not condition():
            return False
        time.sleep(interval)
    return condition()


def watch_until(session, bar, done, timeout, interval=0.003):
    """Polls the bar's Top and opacity until done(top, opacity); returns [(time, top, opacity)]."""
    frames = []
    deadline = time.monotonic() + timeout
    while True:
        t = time.monotonic()
        frame = (t, top(session, bar), session.opacity(bar))
        if not frames or frames[-1][1:] != frame[1:]:
            frames.append(frame)
        if done(frame[1], frame[2]):
            return frames
        if t > deadline:
            raise AssertionError(f"timed out after {timeout:.1f} s; last frames {frames[-5:]}")
        time.sleep(interval)


def move_pointer(session, x, y):
    subprocess.run(["xdotool", "mousemove", str(x), str(y)], env=session.env, check=True)


def click(session, x, y):
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], env=session.env, check=True)


def click_later(session, x, y):
    """Starts a click and returns at once, so that what follows it can be watched from its start."""
    return session.spawn(["xdotool", "mousemove", str(x), str(y), "click", "1"])


def start_x(session, window_manager=False):
    return session.start_x(window_manager=window_manager)


def start_bar_with_pointer_away(session, window_manager=False, stderr=None):
    """X, the budget web application and zorvel, the pointer far below the bar."""
    start_x(session, window_manager=window_manager)
    session.start_budgetweb("--demo")
    move_pointer(session, 20, 700)
    proc = session.start_zorvel(stderr=stderr)
    bar = session.find_window(proc.pid, "Zorvel")
    return proc, bar


def wait_parked(session, bar, timeout=20):
    return e2e.wait_for(lambda: is_parked(session, bar), timeout, interval=0.01, what="the bar parked at -94")


def close_display(session):
    """Our own X connection goes first: closed after Xvfb, it would fail on flushing."""
    session.x.close()
    session.x = None
