"""One copy of zorvel at a time, under Xvfb: a second start shows the
"Information" box, brings the first copy's bar forward and ends after OK while
the first runs on; a copy under another file name runs alongside, an upper-case
twin is refused; of ten copies started at once exactly one bar remains; a copy
started after kill -9 of the first starts normally."""

import os
import shutil
import signal
import stat
import subprocess
import time

from Xlib import X, Xatom
from Xlib.protocol import event as xevent

import zorvel_e2e as e2e

check = e2e.Check()


def windows_of(session, pid):
    """Top-level client windows of a process; windows that vanish while looked at are skipped."""
    found = []
    pid_atom = session.atom("_NET_WM_PID")
    for child in session.root().query_tree().children:
        try:
            candidates = [child] + list(child.query_tree().children)
        except Exception:
            continue
        for w in candidates:
            try:
                prop = w.get_full_property(pid_atom, X.AnyPropertyType)
            except Exception:
                continue
            if prop and prop.value[0] == pid:
                found.append(w)
    return found


def mapped_titles(session, pid):
    titles = []
    for w in windows_of(session, pid):
        try:
            if w.get_attributes().map_state == X.IsViewable:
                titles.append(w.get_wm_name())
        except Exception:
            continue
    return titles


def find_mapped(session, pid, title, timeout):
    def look():
        for w in windows_of(session, pid):
            try:
                if w.get_wm_name() == title and w.get_attributes().map_state == X.IsViewable:
                    return w
            except Exception:
                continue
        return None
    return e2e.wait_for(look, timeout, interval=0.2, what=f"window '{title}' of pid {pid}")


def release_display(session):
    """Closes the test's X connection while its Xvfb still runs (the session stops Xvfb first)."""
    session.x.close()
    session.x = None


def install_program(folder, name="zorvel"):
    """A copy of zorvel (under name) with its hook library and a recording updater."""
    os.makedirs(folder, exist_ok=True)
    shutil.copy(os.path.join(e2e.BIN, "zorvel"), os.path.join(folder, name))
    shutil.copy(os.path.join(e2e.BIN, "libMouseHook.so"), folder)
    updater = os.path.join(folder, "updater")
    with open(updater, "w") as f:
        f.write(f"#!/bin/sh\necho \"$1\" >> '{folder}/launches.log'\n")
    os.chmod(updater, os.stat(updater).st_mode | stat.S_IXUSR)
    return os.path.join(folder, name)


def launches(folder):
    path = os.path.join(folder, "launches.log")
    return open(path).read().split("\n")[:-1] if os.path.exists(path) else []


def stacking(s):
    return [w.id for w in s.root().query_tree().children]


def cover_bar(s):
    """An unmanaged window over the top of the screen, above the bar."""
    w = s.root().create_window(0, 0, 1280, 120, 0, s.x.screen().root_depth,
                               background_pixel=s.x.screen().black_pixel, override_redirect=True)
    w.map()
    w.configure(stack_mode=X.Above)
    s.x.sync()
    return w


def focused(s):
    focus = s.x.get_input_focus().focus
    return getattr(focus, "id", focus)


def press(s, window, key):
    subprocess.run(["xdotool", "windowfocus", "--sync", str(window.id), "key", key],
                   env=s.env, check=True, timeout=20)


def ended(proc, timeout=20):
    try:
        proc.wait(timeout=timeout)
        return True
    except subprocess.TimeoutExpired:
        return False


def mapped_bars(s):
    bars = []
    for w in s.root().query_tree().children:
        try:
            if w.get_wm_name() == "Zorvel" and w.get_attributes().map_state == X.IsViewable:
                bars.append(w)
        except Exception:
            continue
    return bars


def send_hook_messages(s, window, count):
    kind = s.atom("MouseHookMessage")
    for _ in range(count):
        message = xevent.ClientMessage(window=window, client_type=kind, data=(32, [4, 0, 0, 0, 0]))
        window.send_event(message, event_mask=0)
    s.x.sync()


def refuse(s, program, first_proc, bar, key, what):
    """Starts a copy that must be refused; answers its box with key; checks the aftermath."""
    cover = cover_bar(s)
    check(stacking(s).index(cover.id) > stacking(s).index(bar.id), f"{what}: the bar is covered before")
    second = s.start_zorvel(program)
    box = find_mapped(s, second.pid, "Information", timeout=40)
    check(box is not None, f"{what}: the second copy shows its \"Information\" box")
    check(second.poll() is None, f"{what}: the second copy waits while its box is open")
    press(s, box, key)
    check(ended(second), f"{what}: the second copy ends after {key}")
    check(second.returncode == 0, f"{what}: ... with code {second.returncode}")
    check(stacking(s).index(bar.id) > stacking(s).index(cover.id), f"{what}: the first copy's bar is raised")
    check(focused(s) == bar.id, f"{what}: the first copy's bar has the keyboard focus")
    check(first_proc.poll() is None, f"{what}: the first copy still runs")
    cover.destroy()
    s.x.sync()
    return second


with e2e.Session() as s:
    s.start_x()
    s.start_budgetweb("--demo")
    s.env["PATH"] = "/usr/bin:/bin"
    folder = os.path.join(s.home, "program")
    program = install_program(folder)

    first = s.start_zorvel(program)
    bar = find_mapped(s, first.pid, "Zorvel", timeout=40)
    e2e.wait_for(lambda: len(launches(folder)) == 1, 20, what="the first copy's start-up launch")
    wm_class = bar.get_wm_class()
    check(wm_class is not None and wm_class[1] == "zorvel", f"the bar's class hint names the program ({wm_class})")

    # The same file name in another folder is the same program.
    elsewhere = os.path.join(s.home, "elsewhere")
    refuse(s, install_program(elsewhere), first, bar, "Return", "second start")
    check(launches(elsewhere) == ["/silentall"], f"the refused copy launched the updater once ({launches(elsewhere)})")
    check(not os.path.exists(s.config_path()), "the refused copy wrote no config.ini")

    # Hook messages reach the first copy; the next refusal checks that it runs on.
    send_hook_messages(s, bar, 60)

    # The letter case of the file name does not make another copy; Esc closes the box too.
    upper = install_program(os.path.join(s.home, "upper"), "ZORVEL")
    refuse(s, upper, first, bar, "Escape", "ZORVEL beside zorvel")

    # Another file name is another program: it runs alongside.
    other = s.start_zorvel(install_program(os.path.join(s.home, "other"), "zorbar"))
    find_mapped(s, other.pid, "Zorvel", timeout=40)
    titles = mapped_titles(s, other.pid)
    check("Information" not in titles, f"zorbar runs beside zorvel without a box ({titles})")
    other.terminate()
    check(ended(other), "zorbar ends when asked")

    # A first copy killed outright leaves nothing behind.
    os.kill(first.pid, signal.SIGKILL)
    first.wait(timeout=10)
    after = s.start_zorvel(program)
    find_mapped(s, after.pid, "Zorvel", timeout=40)
    titles = mapped_titles(s, after.pid)
    check("Information" not in titles and after.poll() is None,
          f"after kill -9 of the first, a new copy starts normally ({titles})")
    after.terminate()
    check(ended(after), "that copy ends when asked")
    release_display(s)

# Ten copies at once: exactly one bar remains.
with e2e.Session() as s:
    s.start_x()
    s.start_budgetweb("--demo")
    s.env["PATH"] = "/usr/bin:/bin"
    program = install_program(os.path.join(s.home, "program"))
    copies = [s.start_zorvel(program) for _ in range(10)]

    def boxes():
        found = {}
        for proc in copies:
            for w in windows_of(s, proc.pid):
                try:
                    if w.get_wm_name() == "Information" and w.get_attributes().map_state == X.IsViewable:
                        found[proc.pid] = w
                except Exception:
                    continue
        return found if len(found) >= 9 else None

    shown = e2e.wait_for(boxes, 120, interval=0.5, what="nine boxes")
    check(len(shown) == 9, f"nine copies show the box ({len(shown)})")
    for pid, box in shown.items():
        press(s, box, "Return")
    refused = [p for p in copies if p.pid in shown]
    kept = [p for p in copies if p.pid not in shown]
    check(all(ended(p, 30) for p in refused), "the nine refused copies end after OK")
    check(len(kept) == 1 and kept[0].poll() is None, "the one first copy runs on")
    bars = e2e.wait_for(lambda: len(mapped_bars(s)) == 1 and mapped_bars(s), 20, what="a single bar")
    pid = bars[0].get_full_property(s.atom("_NET_WM_PID"), Xatom.CARDINAL).value[0]
    check(len(bars) == 1 and kept and pid == kept[0].pid, "exactly one bar remains, the first copy's")
    release_display(s)

check.finish()
