"""The real zorvel under Xvfb with openbox, an EWMH window manager: the parked
bar stands at Top -94, not clamped onto the screen; hook messages bring it
back; and once shown, a click into a field of its page lets the user type
there (an expense typed into the signed-in home page's form is stored)."""

import os
import sqlite3
import subprocess

import bar_motion as m
import zorvel_e2e as e2e

check = e2e.Check()
NOTE = "typed under openbox"


def first_field(s, bar):
    """Middle of the first white run at least 30 px wide in the form row: the Amount field."""
    left, top, width, _ = s.geometry(bar)
    for y in range(30, 46, 2):
        row = s.pixels(left + 2, top + y, width - 60, 1)[0]
        run = 0
        for x, pixel in enumerate(row):
            run = run + 1 if pixel == (255, 255, 255) else 0
            if run == 30:
                return left + 2 + x - 15, top + y
    return None


def xdotool(s, *args):
    subprocess.run(["xdotool", *args], env=s.env, check=True)


def stored_note(s):
    db = sqlite3.connect(os.path.join(s.home, "budget.sqlite"))
    try:
        return db.execute("SELECT cents FROM expenses WHERE note = ?", (NOTE,)).fetchone()
    finally:
        db.close()


with e2e.Session() as s:
    proc, bar = m.start_bar_with_pointer_away(s, window_manager=True)
    m.wait_parked(s, bar, 30)
    check(s.geometry(bar) == (235, -94, 810, 62), f"parked at 235,-94 (got {s.geometry(bar)})")
    check(m.stays(s, lambda: s.geometry(bar) == (235, -94, 810, 62), 1.5), "openbox leaves it at -94, not clamped")

    # The pointer rests where the shown bar will be, so the hide check keeps it.
    m.move_pointer(s, 235 + 600, 30)
    m.send_hook(s, bar, 4, 51)
    e2e.wait_for(lambda: m.is_shown(s, bar), 2, interval=0.01, what="the bar shown by hook messages")
    check(s.geometry(bar) == (235, 0, 810, 62), f"shown again at 235,0 under openbox (got {s.geometry(bar)})")

    # Sign in through the account window; the bar then shows the form of the signed-in page.
    link = e2e.wait_for(lambda: e2e.first_link(s, bar), 30, what="the home page's sign-in link")
    xdotool(s, "mousemove", str(link[0]), str(link[1]), "click", "1")
    account = s.find_window(proc.pid, "Account", timeout=20)
    e2e.wait_for(lambda: s.geometry(account)[3] > 50, 20, what="the account window to grow")
    left, top, _, _ = s.geometry(account)
    xdotool(s, "mousemove", str(left + 200), str(top + 39), "click", "1")
    xdotool(s, "type", "--delay", "20", "demo")
    xdotool(s, "key", "Tab")
    xdotool(s, "type", "--delay", "20", "demo")
    xdotool(s, "key", "Return")
    field = e2e.wait_for(lambda: e2e.first_link(s, bar) is None and first_field(s, bar), 30,
                         what="the signed-in home page's form in the bar")

    xdotool(s, "mousemove", str(field[0]), str(field[1]), "click", "1")
    xdotool(s, "type", "--delay", "20", "12.34")
    xdotool(s, "key", "Tab", "Tab")
    xdotool(s, "type", "--delay", "20", NOTE)
    xdotool(s, "key", "Return")
    stored = e2e.wait_for(lambda: stored_note(s), 20, what="the typed expense in the database")
    check(stored == (1234,), f"typing into the bar's page works: 12.34 with the note stored ({stored})")
    check(m.is_shown(s, bar), "the bar is still shown")
    check(proc.poll() is None, "zorvel still runs")
    m.close_display(s)

check.finish()
