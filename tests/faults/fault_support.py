"""What the fault tests share: the bar's buttons, the preferences dialog's height
box and Apply button, config.ini's expected shape, the budget web application
with its request log, and driving xdotool with a script of many commands."""

import os
import re
import signal
import socket
import subprocess

from Xlib import X

import zorvel_e2e as e2e
from preferences_layout import APPLY, EDIT_LEFT, EDIT_WIDTH, height_box

CONFIG_KEYS = ("Width", "Height", "Sensitivity", "TopPos")


# --- the bar ----------------------------------------------------------------
# The upper button group keeps 2 px from the bar's top and right edges (Hide,
# Configure, Exit, 17 px each); the lower one 1 px from the right and bottom
# edges (Logout, Add Budget Types).
def hide_button(geometry):
    left, top, width, _ = geometry
    return left + width - 53 + 8, top + 2 + 8


def configure_button(geometry):
    left, top, width, _ = geometry
    return left + width - 53 + 17 + 8, top + 2 + 8


def exit_button(geometry):
    left, top, width, _ = geometry
    return left + width - 53 + 34 + 8, top + 2 + 8


def logout_button(geometry):
    left, top, width, height = geometry
    return left + width - 37 + 1 + 8, top + height - 19 + 8


def xdotool(session, *args):
    subprocess.run(["xdotool", *map(str, args)], env=session.env, check=True)


def click(session, x, y):
    xdotool(session, "mousemove", x, y, "click", 1)


def xdotool_script(session, lines):
    """Starts xdotool on a script, one command chain a line; returns at once."""
    proc = session.spawn(["xdotool", "-"], stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL, text=True)
    proc.stdin.write("".join(line + "\n" for line in lines))
    proc.stdin.close()
    return proc


def bar_at(session, bar, top, size, timeout=20):
    """Waits for the bar at the given Top with the given size; returns its geometry."""
    return e2e.wait_for(lambda: session.geometry(bar)[1:] == (top, *size) and session.geometry(bar), timeout,
                        what=f"the bar at Top {top}, {size[0]} x {size[1]}")


def stop_hard(proc):
    """SIGKILL to zorvel itself, then to what is left of its process group
    (its web engine processes)."""
    try:
        os.kill(proc.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    proc.wait(timeout=10)
    try:
        os.killpg(proc.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass


def exit_bar(session, proc, bar):
    """Presses Exit on the shown bar; true when zorvel then ends normally."""
    e2e.wait_for(lambda: session.geometry(bar)[1] == 0, 10, what="the bar shown")
    click(session, *exit_button(session.geometry(bar)))
    try:
        return proc.wait(timeout=15) == 0
    except subprocess.TimeoutExpired:
        return False


def close_display(session):
    """Our own X connection goes first: closed after Xvfb, it would fail on flushing."""
    if session.x:
        session.x.close()
        session.x = None


# --- windows ----------------------------------------------------------------
def mapped_windows(session, pid, title):
    found = []
    for w in session.windows_of(pid):
        try:
            if w.get_wm_name() == title and w.get_attributes().map_state == X.IsViewable:
                found.append(w)
        except Exception:
            continue
    return found


def find_window(session, pid, title, timeout=30.0):
    return session.find_window(pid, title, timeout)


def painted(session, window):
    """True once the window shows more than a few colours (a fresh window is black)."""
    left, top, width, height = session.geometry(window)
    rows = session.pixels(left, top, width, height)
    return len({p for row in rows[::8] for p in row[::8]}) > 3






def apply_button(left, top):
    return left + APPLY[0] + APPLY[2] // 2, top + APPLY[1] + APPLY[3] // 2


def open_preferences(session, proc, bar):
    """Configure, then the dialog painted; returns (dialog, its height box, its Apply button)."""
    # A click that reaches a bar still busy starting can go unanswered on a loaded
    # machine: click again while no dialog has come.
    for attempt in range(3):
        click(session, *configure_button(session.geometry(bar)))
        try:
            dialog = e2e.wait_for(lambda: next(iter(mapped_windows(session, proc.pid, "Preferences")), None),
                                  10, what="the Preferences dialog")
            break
        except AssertionError:
            if attempt == 2:
                raise
    e2e.wait_for(lambda: session.geometry(dialog)[2:] == (356, 375), 10, what="the dialog at its size")
    e2e.wait_for(lambda: painted(session, dialog), 15, what="the dialog painted")
    left, top = session.geometry(dialog)[:2]
    box = e2e.wait_for(lambda: height_box(session, left, top), 10, what="the height box")
    return dialog, box, apply_button(left, top)


def height_slider_end(box):
    """A point near the high end of the height slider (TrackBar2: 110, 24; 115 x 17 in the
    Dimensions box, on the height box's row), past its thumb for heights up to about 280:
    each left click there pages the slider up by 2, and its change handler puts the new
    position into the height box."""
    edit_left = box[0] - EDIT_WIDTH * 3 // 4
    return edit_left - EDIT_LEFT + 110 + 108, box[1] - 4  # the groove, a little above the box's middle


def apply_height_lines(box, apply, height):
    """xdotool script lines that type a height into the dialog and press Apply."""
    return [f"mousemove {box[0]} {box[1]} click 1 key ctrl+a type {height}",
            f"mousemove {apply[0]} {apply[1]} click 1"]


# --- config.ini ------------------------------------------------------------
def complete_config(text):
    """The four values of a complete config.ini, or None: exactly one [Config]
    section holding each of the four keys once, each a decimal integer."""
    lines = text.replace("\r\n", "\n").split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    sections = [line for line in lines if line.startswith("[")]
    if sections != ["[Config]"] or lines[0] != "[Config]":
        return None
    values = {}
    for line in lines[1:]:
        m = re.fullmatch(r"([A-Za-z]+)=(-?(?:0|[1-9][0-9]*))", line)
        if not m or m.group(1) not in CONFIG_KEYS or m.group(1) in values:
            return None
        values[m.group(1)] = int(m.group(2))
    if set(values) != set(CONFIG_KEYS):
        return None
    return values


def config_text(width=810, height=62, sensitivity=50, top_pos=1):
    return f"[Config]\nWidth={width}\nHeight={height}\nSensitivity={sensitivity}\nTopPos={top_pos}\n"


# --- the budget web application ------------------------------------------
def start_budgetweb_logged(session, *options, log_name=None):
    """budgetweb with its request log (stderr) in a file; returns (process, log path)."""
    log_path = os.path.join(session.home, log_name or f"requests-{len(session.processes)}.log")
    log = open(log_path, "ab")
    proc = session.spawn([os.path.join(e2e.BIN, "budgetweb"), "--listen", f"{e2e.SERVER_HOST}:{e2e.SERVER_PORT}",
                          "--db", os.path.join(session.home, "budget.sqlite"), *options],
                         stdout=subprocess.DEVNULL, stderr=log)
    log.close()
    e2e.wait_for(server_answers, 10, what="the budget web application")
    return proc, log_path


def server_answers():
    with socket.socket() as probe:
        return probe.connect_ex((e2e.SERVER_HOST, e2e.SERVER_PORT)) == 0


def requests(log_path, pattern):
    with open(log_path, errors="replace") as f:
        return [line for line in f if re.search(pattern, line)]


# --- the browsers' own view, through QtWebEngine's remote debugging port ------
DEBUG_PORT = 9317


def enable_remote_debugging(session, port=DEBUG_PORT):
    """QtWebEngine serves the DevTools protocol of every page of the program on this port."""
    session.env["QTWEBENGINE_REMOTE_DEBUGGING"] = f"127.0.0.1:{port}"


def pages(port=DEBUG_PORT):
    """[{'title', 'url', 'webSocketDebuggerUrl', ...}] of the program's pages; [] while none answer."""
    import json
    import urllib.request
    try:
        with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list", timeout=2) as answer:
            return [t for t in json.load(answer) if t.get("type") == "page"]
    except (OSError, ValueError):
        return []


def page_text(target, timeout=5.0):
    """document.body.innerText of a page, read over the DevTools protocol (a minimal WebSocket client)."""
    import base64
    import json
    import struct
    from urllib.parse import urlparse

    address = urlparse(target["webSocketDebuggerUrl"])
    with socket.create_connection((address.hostname, address.port), timeout=timeout) as sock:
        key = base64.b64encode(os.urandom(16)).decode()
        sock.sendall((f"GET {address.path} HTTP/1.1\r\nHost: {address.netloc}\r\nUpgrade: websocket\r\n"
                      f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\n\r\n")
                     .encode())
        buffer = b""
        while b"\r\n\r\n" not in buffer:
            more = sock.recv(4096)
            if not more:
                raise OSError("DevTools connection closed")
            buffer += more
        head, buffer = buffer.split(b"\r\n\r\n", 1)
        if b" 101 " not in head.split(b"\r\n")[0]:
            raise OSError(f"no WebSocket: {head[:80]!r}")

        def receive(n):
            nonlocal buffer
            while len(buffer) < n:
                more = sock.recv(65536)
                if not more:
                    raise OSError("DevTools connection closed")
                buffer += more
            data, buffer = buffer[:n], buffer[n:]
            return data

        request = json.dumps({"id": 1, "method": "Runtime.evaluate",
                              "params": {"expression": "document.body ? document.body.innerText : ''",
                                         "returnByValue": True}}).encode()
        mask = os.urandom(4)
        length = len(request)
        header = struct.pack("!B", 0x81) + (struct.pack("!B", 0x80 | length) if length < 126
                                            else struct.pack("!BH", 0x80 | 126, length))
        sock.sendall(header + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(request)))
        message = b""
        while True:
            first, second = receive(2)
            size = second & 0x7F
            if size == 126:
                size = struct.unpack("!H", receive(2))[0]
            elif size == 127:
                size = struct.unpack("!Q", receive(8))[0]
            payload = receive(size)
            if first & 0x0F in (0x1, 0x0):
                message += payload
                if first & 0x80:
                    answer = json.loads(message)
                    message = b""
                    if answer.get("id") == 1:
                        return answer["result"]["result"].get("value", "")


def without_session_bus(session):
    """No D-Bus session bus for the programs: without one, libdbus would autolaunch a
    dbus-daemon per zorvel start, which outlives the test and its Xvfb."""
    session.env["DBUS_SESSION_BUS_ADDRESS"] = "disabled:"
    return session
