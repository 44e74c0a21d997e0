"""The real zorvel under Xvfb against the real budget web application: the bar's
window, its place and size from config.ini, its stacking, its version label and Exit."""

import os
import shutil
import subprocess

from Xlib import X

import zorvel_e2e as e2e

check = e2e.Check()


def start_bar(session, program=None):
    proc = session.start_zorvel(program)
    return proc, session.find_window(proc.pid, "Zorvel")


def browser_text_pixels(session, bar):
    """Dark pixels in the bar's browser area, left of the buttons and below the name label."""
    left, top, width, height = session.geometry(bar)
    area = session.pixels(left + 90, top + 2, max(1, width - 150), max(1, height - 4))
    return e2e.dark_pixels(area)


LABEL_BACKGROUND = (212, 208, 200)


def label_pixels(session, bar):
    """Dark (navy text) pixels of the name label, once the label shows its background."""
    left, top, _, _ = session.geometry(bar)

    def painted():
        rows = session.pixels(left + 1, top + 1, 85, 13)
        background = sum(1 for row in rows for p in row if p == LABEL_BACKGROUND)
        return rows if background > 85 * 13 // 2 else None
    rows = e2e.wait_for(painted, 20, what="the name label painted")
    return e2e.dark_pixels(rows, threshold=90)


def click(session, x, y):
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], env=session.env, check=True)


def stacking(session):
    return [w.id for w in session.root().query_tree().children]


def raise_normal_window(session, window_manager):
    """Maps an ordinary window over the top of the screen and raises it."""
    w = session.root().create_window(0, 0, 1280, 200, 0, session.x.screen().root_depth,
                                     background_pixel=session.x.screen().white_pixel,
                                     event_mask=X.StructureNotifyMask)
    w.set_wm_name("ordinary")
    w.map()
    session.x.sync()
    e2e.wait_for(lambda: toplevel_of(session, w).get_attributes().map_state == X.IsViewable, 5,
                 what="the ordinary window mapped")
    w.configure(stack_mode=X.Above)
    session.x.sync()
    return w


def toplevel_of(session, window):
    """The root child that holds a window: its frame under a window manager."""
    while True:
        tree = window.query_tree()
        if tree.parent.id == session.root().id:
            return window
        window = tree.parent


with e2e.Session() as s:
    s.start_x()
    s.start_budgetweb("--demo")
    proc, bar = start_bar(s)
    check(s.geometry(bar) == (235, 0, 810, 62), f"default bar 810 x 62 at 235,0 (got {s.geometry(bar)})")
    attributes = bar.get_attributes()
    states = bar.get_full_property(s.atom("_NET_WM_STATE"), X.AnyPropertyType)
    skip = bool(states) and s.atom("_NET_WM_STATE_SKIP_TASKBAR") in states.value
    check(attributes.override_redirect or skip, "no taskbar entry (unmanaged or skip-taskbar)")
    check(abs(s.opacity(bar) - 1.0) < 1e-6, "fully opaque at start")
    painted = e2e.wait_for(lambda: browser_text_pixels(s, bar) > 40, 30, what="the home page's text")
    check(painted, "the home page's text is painted inside the bar")
    with_version = label_pixels(s, bar)

    other = raise_normal_window(s, False)
    e2e.wait_for(lambda: stacking(s).index(bar.id) > stacking(s).index(other.id), 5,
                 what="the bar above a raised window")
    check(True, "stays above an ordinary window raised over it (no window manager)")
    other.destroy()
    s.x.sync()

    # Exit, the right-most button of the upper group.
    click(s, 235 + 757 + 34 + 8, 2 + 8)
    try:
        proc.wait(timeout=15)
        check(proc.returncode == 0, f"Exit ends the program (code {proc.returncode})")
    except subprocess.TimeoutExpired:
        check(False, "Exit ends the program")
    check(not os.path.exists(s.config_path()), "no config.ini after start and Exit")

    # Settings from config.ini.
    for text, expected in (("[config]\nWidth=0x400\nHeight= 80\nTopPos=2\n", (256, 0, 1024, 80)),
                           ("[Config]\nTopPos=-1\n", (279, 0, 810, 62))):
        s.write_config(text)
        before = open(s.config_path(), "rb").read()
        proc, bar = start_bar(s)
        got = e2e.wait_for(lambda: s.geometry(bar) == expected and s.geometry(bar), 10,
                           what=f"geometry {expected}") if True else None
        check(got == expected, f"{text.strip()!r} gives {expected}")
        proc.terminate()
        proc.wait(timeout=15)
        check(open(s.config_path(), "rb").read() == before, "config.ini untouched by a run")
    os.remove(s.config_path())

    # A renamed program file with no zorvel beside it: the label reads "Zorvel " alone.
    renamed = os.path.join(s.home, "renamed")
    os.makedirs(renamed)
    shutil.copy(os.path.join(e2e.BIN, "zorvel"), os.path.join(renamed, "zorbar"))
    shutil.copy(os.path.join(e2e.BIN, "libMouseHook.so"), renamed)
    proc, bar = start_bar(s, os.path.join(renamed, "zorbar"))
    e2e.wait_for(lambda: browser_text_pixels(s, bar) > 40, 30, what="the renamed copy's page")
    without_version = label_pixels(s, bar)
    check(0 < without_version < with_version,
          f"label without the version is shorter ({without_version} < {with_version} dark pixels)")
    s.screenshot(os.path.join(s.home, "renamed.png"))
    proc.terminate()
    proc.wait(timeout=15)

# Under a window manager the bar still stands where it was placed, above others.
with e2e.Session() as s:
    s.start_x(window_manager=True)
    s.start_budgetweb("--demo")
    proc, bar = start_bar(s)
    check(s.geometry(bar) == (235, 0, 810, 62), f"under openbox: 810 x 62 at 235,0 (got {s.geometry(bar)})")
    other = raise_normal_window(s, True)
    frame = e2e.wait_for(lambda: toplevel_of(s, other) if toplevel_of(s, other).id != other.id else None, 5,
                         what="openbox to frame the window")
    e2e.wait_for(lambda: stacking(s).index(bar.id) > stacking(s).index(frame.id), 5,
                 what="the bar above a raised managed window")
    check(True, "stays above a managed window raised over it (openbox)")
    proc.terminate()
    proc.wait(timeout=15)

check.finish()
