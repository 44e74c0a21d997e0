#!/usr/bin/env python3
"""Makes the README's pictures under Xvfb: the bar, the account window and the preferences
dialog, from the real programs in build/bin. Run as root from anywhere:
    tests/e2e/isolated.sh /usr/bin/python3 scripts/make-screenshots.py"""

import os
import subprocess
import sys
import time

top = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
sys.path.insert(0, os.path.join(top, "tests/e2e"))
os.environ.setdefault("ZORVEL_BIN", os.path.join(top, "build/bin"))
import zorvel_e2e as e2e  # noqa: E402

out = os.path.join(top, "docs/screenshots")
os.makedirs(out, exist_ok=True)


def shoot(session, name, left, top_, width, height, margin=8):
    path = os.path.join(out, name)
    x, y = max(0, left - margin), max(0, top_ - margin)
    subprocess.run(["import", "-display", session.display_name, "-window", "root", "-crop",
                    f"{width + 2 * margin}x{height + 2 * margin}+{x}+{y}", "+repage", path],
                   check=True, env=session.env)
    print("wrote", path)


def xdotool(session, *args):
    subprocess.run(["xdotool", *args], env=session.env, check=True)


with e2e.Session(screen="1280x800x24") as s:
    s.start_x()
    subprocess.run(["xsetroot", "-solid", "#3a5f7d"], env=s.env, check=True)
    s.start_budgetweb("--demo")
    proc = s.start_zorvel()
    bar = s.find_window(proc.pid, "Zorvel")
    link = e2e.wait_for(lambda: e2e.first_link(s, bar), 30, what="the sign-in link")
    xdotool(s, "mousemove", str(link[0]), str(link[1]), "click", "1")
    account = s.find_window(proc.pid, "Account")
    e2e.wait_for(lambda: s.geometry(account)[3] > 100, 20, what="the account window to grow")
    xdotool(s, "mousemove", "900", "600")
    time.sleep(1.5)  # let the grown page paint
    left, _, width, _ = s.geometry(bar)
    a_left, a_top, a_width, a_height = s.geometry(account)
    shoot(s, "account.png", min(left, a_left), 0, max(width, a_width), a_top + a_height)
    # Sign in as the demo user: the account window hides, the bar shows the month.
    xdotool(s, "mousemove", str(a_left + 200), str(a_top + 39), "click", "1")
    xdotool(s, "type", "--delay", "20", "demo")
    xdotool(s, "key", "Tab")
    xdotool(s, "type", "--delay", "20", "demo")
    xdotool(s, "key", "Return")
    e2e.wait_for(lambda: account.get_attributes().map_state != 2, 20, what="the account window to hide")
    xdotool(s, "mousemove", "900", "600")
    time.sleep(2)
    shoot(s, "bar.png", left, 0, width, 62)
    # Configure, the middle button of the upper group.
    xdotool(s, "mousemove", str(left + width - 53 + 17 + 8), "10", "click", "1")
    prefs = s.find_window(proc.pid, "Preferences")
    time.sleep(1.5)
    p_left, p_top, p_width, p_height = s.geometry(prefs)
    shoot(s, "preferences.png", p_left, p_top, p_width, p_height)
