"""Helpers for end-to-end tests: an Xvfb of the test's own, the budget web
application on the bar's server address, the real zorvel, and its X11 windows."""

import fcntl
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

from Xlib import X, display as xdisplay, error as xerror

BIN = os.environ.get("ZORVEL_BIN", os.path.join(os.path.dirname(__file__), "../../build/bin"))
SOURCE = os.environ.get("ZORVEL_SOURCE", os.path.join(os.path.dirname(__file__), "../.."))
SERVER_HOST, SERVER_PORT = "127.0.0.1", 8470


def wait_for(condition, timeout=20.0, interval=0.05, what="condition"):
    """Polls condition until it returns a true value or the deadline passes."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


class Check:
    """Collects failed checks so a test reports all of them, then exits non-zero."""

    def __init__(self):
        self.failures = []
        self.passed = 0

    def __call__(self, ok, what):
        if ok:
            self.passed += 1
            print(f"ok: {what}", flush=True)
        else:
            self.failures.append(what)
            print(f"FAILED: {what}", flush=True)
        return ok

    def finish(self):
        print(f"{self.passed} passed, {len(self.failures)} failed", flush=True)
        sys.exit(1 if self.failures else 0)


class Session:
    """Everything one test starts; stops all of it, in reverse order, at exit."""

    def __init__(self, screen="1280x800x24"):
        self.screen = screen
        self.processes = []
        self.home = tempfile.mkdtemp(prefix="zorvel-e2e-")
        self.env = dict(os.environ)
        for var, sub in (("HOME", ""), ("XDG_CONFIG_HOME", ".config"), ("XDG_DATA_HOME", ".local/share"),
                         ("XDG_STATE_HOME", ".local/state"), ("XDG_RUNTIME_DIR", "run")):
            path = os.path.join(self.home, sub)
            os.makedirs(path, mode=0o700, exist_ok=True)
            self.env[var] = path
        self.env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
        self.env["QTWEBENGINE_CHROMIUM_FLAGS"] = "--disable-gpu --disable-background-networking"
        self.env.pop("WAYLAND_DISPLAY", None)
        # No session bus: Qt would otherwise autolaunch one that outlives the test.
        self.env["DBUS_SESSION_BUS_ADDRESS"] = "disabled:"
        self.display_name = None
        self.x = None

    # --- processes -------------------------------------------------------
    def spawn(self, args, **kwargs):
        kwargs.setdefault("env", self.env)
        kwargs.setdefault("start_new_session", True)
        proc = subprocess.Popen(args, **kwargs)
        self.processes.append(proc)
        return proc

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        if self.x:
            try:
                self.x.close()
            except Exception:
                pass
            self.x = None
        for proc in reversed(self.processes):
            if proc.poll() is None:
                try:
                    os.killpg(proc.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        for proc in reversed(self.processes):
            try:
                proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.killpg(proc.pid, signal.SIGKILL)
                proc.wait()
        self.processes.clear()
        shutil.rmtree(self.home, ignore_errors=True)

    # --- X ------------------------------------------------------------------
    def start_x(self, window_manager=False, first=300, last=399):
        """An Xvfb of the test's own, on a display number held under a lock for the test's life.

        Xvfb -displayfd would pick :0 in every network namespace (each has its own abstract
        sockets), and the later server would take over the shared /tmp/.X11-unix/X0 path that
        python-xlib connects to: two tests run at once would talk to one server."""
        for number in range(first, last + 1):
            lock = open(f"/tmp/zorvel-e2e-X{number}.lock", "w")
            try:
                fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
            except OSError:
                lock.close()
                continue
            if os.path.exists(f"/tmp/.X11-unix/X{number}") or os.path.exists(f"/tmp/.X{number}-lock"):
                lock.close()
                continue
            self.display_lock = lock  # released when the test's process ends
            break
        else:
            raise RuntimeError("no free X display number")
        self.spawn(["Xvfb", f":{number}", "-screen", "0", self.screen, "-noreset", "-nolisten", "tcp"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.display_name = f":{number}"
        self.env["DISPLAY"] = self.display_name

        def connected():
            try:
                return xdisplay.Display(self.display_name)
            except Exception:
                return None
        self.x = wait_for(connected, 10, what=f"Xvfb on :{number}")
        if window_manager:
            self.spawn(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            wait_for(lambda: self.root_property("_NET_SUPPORTING_WM_CHECK"), what="openbox")
        return self.x

    def root(self):
        return self.x.screen().root

    def atom(self, name):
        return self.x.intern_atom(name)

    def root_property(self, name):
        prop = self.root().get_full_property(self.atom(name), X.AnyPropertyType)
        return prop.value if prop else None

    def windows_of(self, pid):
        """Top-level client windows of a process: children of the root and of its frames."""
        found = []
        pid_atom = self.atom("_NET_WM_PID")
        for child in self.root().query_tree().children:
            try:
                # A window may go away while the tree is read.
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

    def find_window(self, pid, title, timeout=30.0, mapped=True):
        def look():
            try:
                return look_once()
            except xerror.XError:  # a window went away while the tree was read
                return None

        def look_once():
            for w in self.windows_of(pid):
                try:
                    name = w.get_wm_name()
                    if name is None:
                        prop = w.get_full_property(self.atom("_NET_WM_NAME"), X.AnyPropertyType)
                        name = prop.value.decode() if prop else None
                    if name == title and (not mapped or w.get_attributes().map_state == X.IsViewable):
                        return w
                except Exception:
                    continue
            return None
        return wait_for(look, timeout, what=f"window '{title}' of pid {pid}")

    def geometry(self, window):
        """Left, top, width, height of a window in root coordinates."""
        g = window.get_geometry()
        pos = window.translate_coords(self.root(), 0, 0)
        return (-pos.x, -pos.y, g.width, g.height)

    def opacity(self, window):
        prop = window.get_full_property(self.atom("_NET_WM_WINDOW_OPACITY"), X.AnyPropertyType)
        return (prop.value[0] / 0xFFFFFFFF) if prop else 1.0

    def screenshot(self, path):
        subprocess.run(["import", "-display", self.display_name, "-window", "root", path],
                       check=True, env=self.env)
        return path

    def pixels(self, left, top, width, height):
        """The screen's pixels in a rectangle, as rows of (r, g, b)."""
        image = self.root().get_image(left, top, width, height, X.ZPixmap, 0xFFFFFFFF)
        data = image.data
        rows = []
        for y in range(height):
            row = []
            for x in range(width):
                b, g, r = data[(y * width + x) * 4: (y * width + x) * 4 + 3]
                row.append((r, g, b))
            rows.append(row)
        return rows

    # --- the programs -------------------------------------------------------
    def start_budgetweb(self, *options, port=SERVER_PORT):
        with socket.socket() as probe:
            if probe.connect_ex((SERVER_HOST, port)) == 0:
                raise RuntimeError(f"port {port} is taken: stop the budget web application there first")
        db = os.path.join(self.home, "budget.sqlite")
        proc = self.spawn([os.path.join(BIN, "budgetweb"), "--listen", f"{SERVER_HOST}:{port}",
                           "--db", db, *options], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        def answering():
            with socket.socket() as s:
                return s.connect_ex((SERVER_HOST, port)) == 0
        wait_for(answering, 10, what="the budget web application")
        return proc

    def start_zorvel(self, program=None, cwd=None, **kwargs):
        program = program or os.path.join(BIN, "zorvel")
        return self.spawn([program], cwd=cwd or self.home, stdout=kwargs.pop("stdout", None),
                          stderr=kwargs.pop("stderr", None), **kwargs)

    def config_path(self):
        return os.path.join(self.env["XDG_CONFIG_HOME"], "zorvel", "config.ini")

    def write_config(self, text):
        os.makedirs(os.path.dirname(self.config_path()), exist_ok=True)
        with open(self.config_path(), "w") as f:
            f.write(text)


LINK_BLUE = (6, 69, 173)


def first_link(session, bar):
    """Screen position of the first link pixel in the bar's page, left of its buttons."""
    left, top, width, _ = session.geometry(bar)
    rows = session.pixels(left + 90, top + 2, width - 150, 20)
    for x in range(width - 150):
        for y in range(20):
            if all(abs(c - l) < 40 for c, l in zip(rows[y][x], LINK_BLUE)):
                return left + 90 + x + 3, top + 2 + y
    return None


def dark_pixels(rows, threshold=110):
    return sum(1 for row in rows for (r, g, b) in row if r + g + b < 3 * threshold)


def project_version():
    """The first three numbers of the top-level project() version."""
    import re
    text = open(os.path.join(SOURCE, "CMakeLists.txt")).read()
    m = re.search(r"project\(zorvel VERSION (\d+)\.(\d+)\.(\d+)", text)
    return ".".join(m.groups())
