"""A full disk under config.ini: its folder is a small tmpfs, filled up. Apply of a
new height brings up the "zorvel" error box (Unable to write to ...), the old
file stays byte for byte and nothing is left beside it; the new height is in
force on the bar all the same, and the bar's browser doesn't go home. Once
there is room again, the next Apply writes the file.

The tmpfs is mounted in a mount namespace of the test's own, so that nothing
outside the test ever sees it. Where no mount namespace or tmpfs can be had
(not root, say), the test is skipped with exit code 77."""

import errno
import os
import subprocess
import sys

SKIP = 77
if not os.environ.get("ZORVEL_FAULT_MOUNT_NS"):
    if subprocess.run(["unshare", "--mount", "true"], capture_output=True).returncode != 0:
        print("SKIP: no mount namespace here (needs root or user namespaces): cannot mount a small tmpfs")
        sys.exit(SKIP)
    os.environ["ZORVEL_FAULT_MOUNT_NS"] = "1"
    os.execvp("unshare", ["unshare", "--mount", "--propagation", "private", sys.executable, *sys.argv])

sys.path.insert(0, os.path.join(os.environ.get("ZORVEL_SOURCE", ""), "tests", "faults"))
import fault_support as f  # noqa: E402
import zorvel_e2e as e2e  # noqa: E402

check = e2e.Check()
# A hand-edited file: CR LF line ends, a comment, a further section; a save
# would rewrite it, and a half-done one would cut it.
OLD = (b"; written by hand\r\n[Config]\r\nWidth=810\r\nHeight=62\r\nSensitivity=50\r\nTopPos=1\r\n"
       b"\r\n[Other]\r\nKey=keep me\r\n")


def fill_up(path):
    """Writes to path until the file system is full; returns the bytes written."""
    written = 0
    chunk = b"\0" * 4096
    with open(path, "wb", buffering=0) as filler:
        while True:
            try:
                written += filler.write(chunk)
            except OSError as error:
                if error.errno != errno.ENOSPC:
                    raise
                break
    return written


with e2e.Session() as s:
    f.without_session_bus(s)
    folder = os.path.dirname(s.config_path())
    os.makedirs(folder)
    mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k,mode=0700", "zorvel-full-disk", folder],
                             capture_output=True, text=True)
    if mounted.returncode != 0:
        print(f"SKIP: cannot mount a tmpfs on {folder}: {mounted.stderr.strip()}")
        sys.exit(SKIP)
    try:
        with open(s.config_path(), "wb") as file:
            file.write(OLD)
        filler = os.path.join(folder, "filler")
        filled = fill_up(filler)
        print(f"the {folder} tmpfs is full after {filled} bytes of filler", flush=True)

        s.start_x(window_manager=True)  # typing into the dialog needs a window manager's focus
        _, log = f.start_budgetweb_logged(s, "--demo")
        proc = s.start_zorvel()
        bar = f.find_window(s, proc.pid, "Zorvel")
        f.bar_at(s, bar, 0, (810, 62), 30)
        e2e.wait_for(lambda: f.requests(log, r"GET /Brenvo/ "), 30, what="the bar's home page")
        dialog, box, apply = f.open_preferences(s, proc, bar)
        homes = len(f.requests(log, r"GET /Brenvo/ "))

        f.xdotool_script(s, f.apply_height_lines(box, apply, 150)).wait(10)
        try:
            error_box = f.find_window(s, proc.pid, "zorvel", timeout=15)
            check(True, "Apply on the full disk brings up the 'zorvel' error box")
        except AssertionError:
            error_box = None
            check(False, "Apply on the full disk brings up the 'zorvel' error box")
        check(open(s.config_path(), "rb").read() == OLD, "config.ini keeps its old content byte for byte")
        left = sorted(set(os.listdir(folder)) - {"config.ini", "filler"})
        check(not left, f"nothing is left beside it (got {left})")
        check(s.geometry(bar)[2:] == (810, 150),
              f"the new height is in force on the bar all the same (got {s.geometry(bar)[2:]})")
        check(len(f.requests(log, r"GET /Brenvo/ ")) == homes, "the bar's browser doesn't go home")

        if error_box is not None:
            f.xdotool(s, "windowactivate", "--sync", error_box.id, "key", "Return")
            e2e.wait_for(lambda: not f.mapped_windows(s, proc.pid, "zorvel"), 10, what="the error box to close")
            check(True, "Return dismisses the box")
        check(bool(f.mapped_windows(s, proc.pid, "Preferences")), "the dialog stays open")

        # Room again: the same Apply now writes the file, keeping every other byte.
        os.unlink(filler)
        f.xdotool_script(s, [f"mousemove {apply[0]} {apply[1]} click 1"]).wait(10)
        want = OLD.replace(b"Height=62", b"Height=150")
        try:
            e2e.wait_for(lambda: open(s.config_path(), "rb").read() == want, 10, what="the new config.ini")
            check(True, "with room again Apply writes Height=150 and leaves the rest of the file alone")
        except AssertionError:
            check(False, f"with room again Apply writes Height=150 (got {open(s.config_path(), 'rb').read()})")
        e2e.wait_for(lambda: len(f.requests(log, r"GET /Brenvo/ ")) > homes, 10, what="the bar's browser home")
        check(not f.mapped_windows(s, proc.pid, "zorvel"), "and no error box comes up")
        check(f.exit_bar(s, proc, bar), "zorvel ends normally from Exit")
        f.close_display(s)
    finally:
        s.close()
        subprocess.run(["umount", "--lazy", folder], check=False)

check.finish()
