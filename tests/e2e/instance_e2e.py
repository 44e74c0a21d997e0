"""Helpers of the single-instance and updater end-to-end tests: an Xvfb on a
display number of its own, copies of the program in folders the test owns,
recording updaters, and window look-ups that survive windows vanishing."""

import os
import shutil
import stat
import subprocess

from Xlib import X, display as xdisplay

import zorvel_e2e as e2e


def start_own_x(session):
    """Starts Xvfb on an explicit, free display number.

    Xvfb's own lock file /tmp/.X<N>-lock is the claim: tests that run side by
    side in network namespaces of their own would otherwise all be given :0
    (the abstract X socket is per namespace, the socket file is not), and a
    client that connects through the file would meet another test's server."""
    first = 400 + os.getpid() % 400
    for number in list(range(first, 800)) + list(range(400, first)):
        if os.path.exists(f"/tmp/.X{number}-lock"):
            continue
        proc = session.spawn(["Xvfb", f":{number}", "-screen", "0", session.screen, "-noreset", "-nolisten", "tcp"],
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        name = f":{number}"

        def up():
            if proc.poll() is not None:
                return "gone"
            try:
                return xdisplay.Display(name)
            except Exception:
                return None
        result = e2e.wait_for(up, 20, what=f"Xvfb {name}")
        if result == "gone":
            continue  # another test took that number first
        session.display_name = name
        session.env["DISPLAY"] = name
        session.x = result
        return result
    raise RuntimeError("no free X display number")


def release_display(session):
    """Closes the test's X connection while its Xvfb still runs (the session stops Xvfb first)."""
    if session.x:
        session.x.close()
        session.x = None


def install_program(folder, name="zorvel"):
    """A copy of zorvel under name, with its hook library, in a folder the test owns."""
    os.makedirs(folder, exist_ok=True)
    shutil.copy(os.path.join(e2e.BIN, "zorvel"), os.path.join(folder, name))
    shutil.copy(os.path.join(e2e.BIN, "libMouseHook.so"), folder)
    return os.path.join(folder, name)


def install_recording_updater(folder, tag, log):
    """An updater that appends its tag, its argument and its working directory to log."""
    path = os.path.join(folder, "updater")
    with open(path, "w") as f:
        f.write(f"#!/bin/sh\nprintf '%s %s %s\\n' '{tag}' \"$1\" \"$(pwd)\" >> '{log}'\n")
    os.chmod(path, os.stat(path).st_mode | stat.S_IXUSR | stat.S_IXGRP | stat.S_IXOTH)
    return path


def launches(log):
    if not os.path.exists(log):
        return []
    with open(log) as f:
        return [line.rstrip("\n") for line in f]


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


def find_mapped(session, pid, title, timeout=40):
    def look():
        for w in windows_of(session, pid):
            try:
                if w.get_wm_name() == title and w.get_attributes().map_state == X.IsViewable:
                    return w
            except Exception:
                continue
        return None
    return e2e.wait_for(look, timeout, interval=0.2, what=f"window '{title}' of pid {pid}")
