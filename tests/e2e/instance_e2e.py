"""Helpers of the single-instance and updater end-to-end tests: copies of the
program in folders the test owns, recording updaters, window titles."""

import os
import shutil
import stat

from Xlib import X

import zorvel_e2e as e2e


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


def mapped_titles(session, pid):
    titles = []
    for w in session.windows_of(pid):
        try:
            if w.get_attributes().map_state == X.IsViewable:
                titles.append(w.get_wm_name())
        except Exception:
            continue
    return titles


def find_mapped(session, pid, title, timeout=40):
    def look():
        for w in session.windows_of(pid):
            try:
                if w.get_wm_name() == title and w.get_attributes().map_state == X.IsViewable:
                    return w
            except Exception:
                continue
        return None
    return e2e.wait_for(look, timeout, interval=0.2, what=f"window '{title}' of pid {pid}")
