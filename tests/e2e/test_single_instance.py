"""One copy of zorvel at a time, under Xvfb: a second start shows the
"Information" box, brings the first copy's bar forward and ends after OK while
the first runs on; a copy under another file name runs alongside, an upper-case
twin is refused; of ten copies started at once exactly one bar remains; a copy
started after kill -9 of the first starts normally."""

import os
import signal
import subprocess

from Xlib import X, Xatom
from Xlib.protocol import event as xevent

import zorvel_e2e as e2e
from instance_e2e import (find_mapped, install_program, install_recording_updater, launches,
                          mapped_titles)

check = e2e.Check()


def program_in(folder, name="zorvel"):
    """A copy of the program under name whose updater records into the folder's log."""
    program = install_program(folder, name)
    install_recording_updater(folder, name, log_of(folder))
    return program


def log_of(folder):
    return os.path.join(folder, "launches.log")


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
    program = program_in(folder)

    first = s.start_zorvel(program)
    bar = find_mapped(s, first.pid, "Zorvel", timeout=40)
    e2e.wait_for(lambda: len(launches(log_of(folder))) == 1, 20, what="the first copy's start-up launch")
    wm_class = bar.get_wm_class()
    check(wm_class is not None and wm_class[1] == "zorvel", f"the bar's class hint names the program ({wm_class})")

    # The same file name in another folder is the same program.
    elsewhere = os.path.join(s.home, "elsewhere")
    refuse(s, program_in(elsewhere), first, bar, "Return", "second start")
    refused_launches = launches(log_of(elsewhere))
    check(refused_launches == [f"zorvel /silentall {s.home}"],
          f"the refused copy launched the updater once, in its current directory ({refused_launches})")
    check(not os.path.exists(s.config_path()), "the refused copy wrote no config.ini")

    # Hook messages reach the first copy; the next refusal checks that it runs on.
    send_hook_messages(s, bar, 60)

    # The letter case of the file name does not make another copy; Esc closes the box too.
    upper = program_in(os.path.join(s.home, "upper"), "ZORVEL")
    refuse(s, upper, first, bar, "Escape", "ZORVEL beside zorvel")

    # Another file name is another program: it runs alongside.
    other = s.start_zorvel(program_in(os.path.join(s.home, "other"), "zorbar"))
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

# Ten copies at once: exactly one bar remains.
with e2e.Session() as s:
    s.start_x()
    s.start_budgetweb("--demo")
    s.env["PATH"] = "/usr/bin:/bin"
    program = program_in(os.path.join(s.home, "program"))
    copies = [s.start_zorvel(program) for _ in range(10)]

    def boxes():
        found = {}
        for proc in copies:
            for w in s.windows_of(proc.pid):
                try:
                    if w.get_wm_name() == "Information" and w.get_attributes().map_state == X.IsViewable:
                        found[proc.pid] = w
                except Exception:
                    continue
        return found if len(found) >= 9 else None

    shown = e2e.wait_for(boxes, 120, interval=0.5, what="nine boxes")
    check(len(shown) == 9, f"nine copies show the box ({len(shown)})")
    # One at a time: a refused copy that ends gives the keyboard focus to the
    # first copy's bar, which must not take the next key meant for a box.
    refused = [p for p in copies if p.pid in shown]
    kept = [p for p in copies if p.pid not in shown]
    for proc in refused:
        press(s, shown[proc.pid], "Return")
        ended(proc, 30)
    check(all(p.poll() is not None for p in refused), "the nine refused copies end after OK")
    check(len(kept) == 1 and kept[0].poll() is None, "the one first copy runs on")
    bars = e2e.wait_for(lambda: len(mapped_bars(s)) == 1 and mapped_bars(s), 20, what="a single bar")
    pid = bars[0].get_full_property(s.atom("_NET_WM_PID"), Xatom.CARDINAL).value[0]
    check(len(bars) == 1 and kept and pid == kept[0].pid, "exactly one bar remains, the first copy's")

check.finish()
