"""The preferences dialog in the real zorvel under Xvfb, against the real budget
web application: Configure opens it at 669, 260; a height typed and applied
resizes the bar and lands in config.ini; the About page shows the emblem; Add
Budget Types opens a further dialog on the budget types page. Then the same
place under openbox."""

import os
import subprocess

from Xlib import X

import zorvel_e2e as e2e
from preferences_layout import APPLY, TABS, height_box

check = e2e.Check()
OUTPUT = os.path.join(os.path.dirname(os.path.abspath(e2e.BIN)), "test-output", "preferences")
os.makedirs(OUTPUT, exist_ok=True)

DIALOG = (669, 260, 356, 375)


def xdotool(session, *args):
    subprocess.run(["xdotool", *map(str, args)], env=session.env, check=True)


def click(session, x, y):
    xdotool(session, "mousemove", x, y, "click", 1)


def button_centre(window_left, window_top, rect):
    return window_left + rect[0] + rect[2] // 2, window_top + rect[1] + rect[3] // 2


def preferences_windows(session, pid):
    found = []
    for w in session.windows_of(pid):
        try:
            if w.get_wm_name() == "Preferences" and w.get_attributes().map_state == X.IsViewable:
                found.append(w)
        except Exception:
            continue
    return found


def new_preferences_window(session, pid, known):
    return e2e.wait_for(lambda: next((w for w in preferences_windows(session, pid) if w.id not in known), None),
                        30, what="a new Preferences window")






def colour_counts(rows):
    blue = sum(1 for row in rows for (r, g, b) in row if b > r + 60 and b > g + 40)
    green = sum(1 for row in rows for (r, g, b) in row if g > r + 60 and g > b + 40)
    return blue, green


def config_lines(session):
    try:
        with open(session.config_path()) as f:
            return f.read().replace("\r", "").splitlines()
    except FileNotFoundError:
        return None


def frame_of(session, window):
    while True:
        tree = window.query_tree()
        if tree.parent.id == session.root().id:
            return window
        window = tree.parent


def configure_button(bar_geometry):
    left, top, width, _ = bar_geometry
    # Configure is the middle button of the upper group, which keeps 2 px from the right edge.
    return left + width - 53 + 17 + 8, top + 2 + 8


def add_budget_types_button(bar_geometry):
    left, top, width, height = bar_geometry
    # The lower group keeps 1 px from the right and bottom edges; Add Budget Types is its second button.
    return left + width - 37 + 18 + 8, top + height - 19 + 8


def painted(session, window):
    """True once the window shows more than one colour (a fresh window is black)."""
    left, top, width, height = session.geometry(window)
    rows = session.pixels(left, top, width, height)
    return len({p for row in rows[::8] for p in row[::8]}) > 3


def bar_at_rest(session, bar, size):
    """Waits for the bar at Top 0 with the given size; returns its geometry."""
    return e2e.wait_for(lambda: s.geometry(bar)[1:] == (0, *size) and s.geometry(bar), 15,
                        what=f"the bar at Top 0, {size[0]} x {size[1]}")


# No window manager: both buttons open a dialog at 669, 260; Add Budget Types on its web page.
with e2e.Session() as s:
    s.start_x()
    s.start_budgetweb("--demo")
    proc = s.start_zorvel()
    bar = s.find_window(proc.pid, "Zorvel")
    bar_geometry = bar_at_rest(s, bar, (810, 62))

    # The pointer stays on the bar from here on, so that the bar doesn't hide.
    click(s, *configure_button(bar_geometry))
    dialog = new_preferences_window(s, proc.pid, set())
    got = e2e.wait_for(lambda: s.geometry(dialog) == DIALOG and s.geometry(dialog), 10,
                       what="the dialog at 669, 260")
    check(got == DIALOG, f"Configure opens 'Preferences' at 669, 260, 356 x 375 (got {s.geometry(dialog)})")
    e2e.wait_for(lambda: painted(s, dialog), 10, what="the dialog painted")
    s.screenshot(os.path.join(OUTPUT, "application.png"))

    click(s, *add_budget_types_button(bar_geometry))
    second = new_preferences_window(s, proc.pid, {dialog.id})
    got = e2e.wait_for(lambda: s.geometry(second) == DIALOG and s.geometry(second), 10,
                       what="the second dialog at 669, 260")
    check(got == DIALOG, f"Add Budget Types opens a further dialog at 669, 260 (got {s.geometry(second)})")
    check(len(preferences_windows(s, proc.pid)) == 2, "two dialogs are open")

    def page_shown():
        # The web page: mostly white, with text on it; the Application page is button-face grey.
        rows = s.pixels(DIALOG[0] + 12, DIALOG[1] + 40, 320, 250)
        white = sum(1 for row in rows for (r, g, b) in row if r > 245 and g > 245 and b > 245)
        dark = e2e.dark_pixels(rows)
        return white > 0.5 * 320 * 250 and dark > 40 and (white, dark)
    try:
        counts = e2e.wait_for(page_shown, 30, what="the budget types page")
        check(True, f"it shows the web application's budget types page ({counts[1]} dark pixels on white)")
    except AssertionError:
        check(False, "it shows the web application's budget types page")
    s.screenshot(os.path.join(OUTPUT, "budget-types.png"))
    proc.terminate()
    proc.wait(timeout=15)

# Under openbox, the desktop the dialog is made for: its frame at 669, 260, out of
# the taskbar; a typed height applied to the bar and saved; the About page.
with e2e.Session() as s:
    s.start_x(window_manager=True)
    s.start_budgetweb("--demo")
    proc = s.start_zorvel()
    bar = s.find_window(proc.pid, "Zorvel")
    bar_geometry = bar_at_rest(s, bar, (810, 62))
    click(s, *configure_button(bar_geometry))
    dialog = new_preferences_window(s, proc.pid, set())
    frame = e2e.wait_for(lambda: frame_of(s, dialog) if frame_of(s, dialog).id != dialog.id else None, 10,
                         what="openbox to frame the dialog")
    try:
        e2e.wait_for(lambda: s.geometry(frame)[:2] == (669, 260), 10, what="the frame at 669, 260")
        check(True, "under openbox the dialog's frame stands at 669, 260")
    except AssertionError:
        check(False, f"under openbox the dialog's frame stands at 669, 260 (got {s.geometry(frame)})")
    check(s.geometry(dialog)[2:] == (356, 375), f"its client area is 356 x 375 (got {s.geometry(dialog)[2:]})")

    def states():
        prop = dialog.get_full_property(s.atom("_NET_WM_STATE"), X.AnyPropertyType)
        return set(prop.value) if prop else set()
    wanted = {s.atom("_NET_WM_STATE_SKIP_TASKBAR"), s.atom("_NET_WM_STATE_SKIP_PAGER"), s.atom("_NET_WM_STATE_ABOVE")}
    try:
        e2e.wait_for(lambda: wanted <= states(), 10, what="skip-taskbar, skip-pager and above states")
        check(True, "kept out of the taskbar and the pager, always on top")
    except AssertionError:
        check(False, "kept out of the taskbar and the pager, always on top")
    hints = dialog.get_wm_normal_hints()
    check(bool(hints) and hints.min_width == hints.max_width == 356 and hints.min_height == hints.max_height == 375,
          "fixed size")

    left, top = s.geometry(dialog)[:2]
    e2e.wait_for(lambda: painted(s, dialog), 10, what="the dialog painted")
    edit1 = e2e.wait_for(lambda: height_box(s, left, top), 10, what="the height box")
    click(s, *edit1)
    xdotool(s, "key", "ctrl+a")
    xdotool(s, "type", "120")
    click(s, *button_centre(left, top, APPLY))
    # Apply shows the bar (it may have hidden meanwhile, the pointer being away from it).
    try:
        got = bar_at_rest(s, bar, (810, 120))
        check(got == (235, 0, 810, 120), f"Apply makes the bar 120 px high, centred (got {got})")
    except AssertionError:
        check(False, f"Apply makes the bar 120 px high (got {s.geometry(bar)})")
    lines = e2e.wait_for(lambda: config_lines(s), 5, what="config.ini")
    check(lines == ["[Config]", "Width=810", "Height=120", "Sensitivity=50", "TopPos=1"],
          f"config.ini holds the five lines (got {lines})")
    check(s.geometry(frame)[:2] == (669, 260), "the dialog stays open after Apply")

    # The About page, two pages back from Application, round the end.
    click(s, *edit1)
    xdotool(s, "key", "ctrl+shift+Tab")

    def emblem_shown():
        rows = s.pixels(left + TABS[0], top + TABS[1], 160, 180)
        blue, green = colour_counts(rows)
        return blue > 600 and green > 600 and (blue, green)
    try:
        counts = e2e.wait_for(emblem_shown, 10, what="the emblem")
        check(True, f"the About page shows the emblem ({counts[0]} blue, {counts[1]} green pixels)")
    except AssertionError:
        check(False, "the About page shows the emblem")
    s.screenshot(os.path.join(OUTPUT, "about.png"))
    proc.terminate()
    proc.wait(timeout=15)

check.finish()
