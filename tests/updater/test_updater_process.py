"""Process tests of the real updater against a loopback manifest server.

Each run uses a copy of the updater in a folder of its own, beside a fake
zorvel stamped 0.9.2.0, a private XDG_STATE_HOME and ZORVEL_UPDATER_REPORT=stdout,
so that what it would show is printed instead, without a display."""

import http.server
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

from zorvel_e2e import Check, wait_for

BIN = os.environ.get("ZORVEL_BIN", os.path.join(os.path.dirname(__file__), "../../build/bin"))
MANIFEST = '{"version":"%s","download":"https://zorvel.example.org/get/%s"}'


class ManifestServer:
    """Serves one body at /Brenvo/updates/latest.json and counts the requests;
    with hold set, keeps each answer back until release() is called."""

    def __init__(self):
        self.body = (MANIFEST % ("1.0.0.0", "1.0.0")).encode()
        self.requests = 0
        self.hold = False
        self.released = threading.Event()
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                server.requests += 1
                if server.hold:
                    server.released.wait(30)
                status = 200 if self.path == "/Brenvo/updates/latest.json" else 404
                self.send_response(status)
                self.send_header("Content-Type", "application/json")
                self.send_header("Content-Length", str(len(server.body)))
                self.end_headers()
                self.wfile.write(server.body)

            def log_message(self, *args):
                pass

        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.httpd.daemon_threads = True
        self.url = "http://127.0.0.1:%d/Brenvo/updates/latest.json" % self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def serve(self, body):
        self.body = body.encode()

    def close(self):
        self.released.set()
        self.httpd.shutdown()
        self.httpd.server_close()


def closed_port_url():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        port = s.getsockname()[1]
    return "http://127.0.0.1:%d/Brenvo/updates/latest.json" % port


class Installation:
    """An updater beside a stamped zorvel, with a state folder of its own."""

    def __init__(self, root, name, url, stamp="ZORVEL-FILE-VERSION=0.9.2.0;"):
        self.folder = os.path.join(root, name)
        os.makedirs(os.path.join(self.folder, "bin"))
        self.updater = os.path.join(self.folder, "bin", "updater")
        shutil.copy2(os.path.join(BIN, "updater"), self.updater)
        with open(os.path.join(self.folder, "bin", "zorvel"), "wb") as f:
            f.write(b"\x7fELF not really" + stamp.encode() + b"\0more")
        self.state = os.path.join(self.folder, "state")
        self.state_file = os.path.join(self.state, "zorvel", "updater.state")
        self.env = {k: v for k, v in os.environ.items()
                    if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS")}
        self.env.update(XDG_STATE_HOME=self.state, ZORVEL_UPDATE_URL=url, ZORVEL_UPDATER_REPORT="stdout",
                        HOME=self.folder)
        self.running = []

    def run(self, *args):
        return subprocess.run([self.updater, *args], env=self.env, capture_output=True, text=True, timeout=60)

    def start(self, *args):
        proc = subprocess.Popen([self.updater, *args], env=self.env, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, text=True)
        self.running.append(proc)
        return proc

    def age_last_check(self, days):
        """Moves the last check back, as if that many days had passed."""
        stamp = time.strftime("%Y-%m-%dT%H:%M:%SZ", time.gmtime(time.time() - days * 86400))
        with open(self.state_file) as f:
            lines = [line for line in f.read().splitlines() if not line.startswith("checked=")]
        with open(self.state_file, "w") as f:
            f.write("\n".join(lines + ["checked=" + stamp]) + "\n")

    def stop(self):
        for proc in self.running:
            if proc.poll() is None:
                proc.kill()
            proc.wait()


def one_line(text):
    return len(text.splitlines()) == 1


def main():
    check = Check()
    root = tempfile.mkdtemp(prefix="zorvel-updater-")
    server = ManifestServer()
    installations = []

    def install(name, url=server.url, **kwargs):
        inst = Installation(root, name, url, **kwargs)
        installations.append(inst)
        return inst

    try:
        # Bad command lines: a usage line, exit 2, nothing asked of the server.
        inst = install("arguments")
        for args in ([], ["/x"], ["/silentall", "/checknow"], ["/SILENTALL"], ["silentall"], [""]):
            r = inst.run(*args)
            check(r.returncode == 2 and r.stderr.startswith("usage: updater") and one_line(r.stderr)
                  and r.stdout == "", f"{args}: usage line and exit 2 (got {r.returncode}, {r.stderr!r})")
        check(server.requests == 0, "bad command lines ask nothing of the server")

        # The server cannot be reached.
        inst = install("unreachable", url=closed_port_url())
        r = inst.run("/checknow")
        check(r.returncode == 1 and r.stdout.startswith("dialog-warning: The update check failed: ")
              and "could not be reached" in r.stdout, f"/checknow tells an unreachable server ({r.stdout!r})")
        r = inst.run("/silentall")
        check(r.returncode != 0 and r.stdout == "" and one_line(r.stderr) and "could not be reached" in r.stderr,
              f"/silentall: one error line, nothing shown ({r.returncode}, {r.stderr!r})")

        # A malformed manifest.
        server.serve("<html><body>Please log in</body></html>")
        inst = install("malformed")
        r = inst.run("/checknow")
        check(r.returncode == 1 and "sent a bad manifest: not JSON" in r.stdout
              and r.stdout.startswith("dialog-warning:"), f"/checknow tells a bad manifest ({r.stdout!r})")
        r = inst.run("/silentall")
        check(r.returncode != 0 and r.stdout == "" and one_line(r.stderr) and "bad manifest" in r.stderr,
              f"/silentall on a bad manifest: one error line ({r.stderr!r})")

        # No version in zorvel.
        inst = install("unstamped", stamp="no stamp here")
        r = inst.run("/checknow")
        check(r.returncode == 1 and "no version found in " in r.stdout, f"/checknow tells a zorvel without a version ({r.stdout!r})")

        # A newer version: told once, checked once a day.
        server.serve(MANIFEST % ("1.0.0.0", "1.0.0"))
        inst = install("newer")
        before = server.requests
        r = inst.run("/silentall")
        check(r.returncode == 0 and r.stdout == "notification: Zorvel 1.0.0 is available | You have 0.9.2. "
              "Get it from: https://zorvel.example.org/get/1.0.0\n", f"newer version announced ({r.stdout!r})")
        check(server.requests == before + 1, "the first quiet check asks the server")
        for _ in range(3):
            r = inst.run("/silentall")
            check(r.returncode == 0 and r.stdout == "" and r.stderr == "", "a quiet check the same day does nothing")
        check(server.requests == before + 1, "no further request the same day")
        inst.age_last_check(1.01)
        r = inst.run("/silentall")
        check(server.requests == before + 2 and r.returncode == 0 and r.stdout == "",
              "the next day it checks again and does not repeat the news")
        server.serve(MANIFEST % ("1.1.0.0", "1.1.0"))
        inst.age_last_check(1.01)
        r = inst.run("/silentall")
        check(r.stdout.startswith("notification: Zorvel 1.1.0 is available"), f"a version newer still is told ({r.stdout!r})")
        r = inst.run("/checknow")
        check(r.returncode == 0 and server.requests == before + 4 and r.stdout.startswith(
            "dialog: Zorvel 1.1.0 is available (you have 0.9.2). Get it from: https://zorvel.example.org/get/1.1.0"),
            f"/checknow checks at once and shows the news ({r.stdout!r})")

        # A second copy leaves at once while the first waits for the server.
        server.serve(MANIFEST % ("2.0.0.0", "2.0.0"))
        inst = install("second")
        server.hold = True
        server.released.clear()
        before = server.requests
        first = inst.start("/silentall")
        wait_for(lambda: server.requests == before + 1, what="the first copy's request")
        r = inst.run("/silentall")
        check(r.returncode == 0 and r.stdout == "" and r.stderr == "", "the second copy exits at once, quietly")
        check(first.poll() is None and server.requests == before + 1, "the second copy asked nothing")
        server.released.set()
        out, err = first.communicate(timeout=60)
        server.hold = False
        check(first.returncode == 0 and out.startswith("notification: Zorvel 2.0.0 is available"),
              f"the first copy finishes its check ({out!r}, {err!r})")
    finally:
        for inst in installations:
            inst.stop()
        server.close()
        shutil.rmtree(root, ignore_errors=True)
    check.finish()


if __name__ == "__main__":
    main()
