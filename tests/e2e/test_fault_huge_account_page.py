"""An account page of 5,000 lines grows the account window without a crash. A
small HTTP server of the test's own stands in for the budget web application on
the bar's address: its home page is one big link to BigAccount.aspx, whose text
is 5,000 short lines. The page asks for 5,000 x 26 + 24 = 130,024 px; an X11
window cannot be taller than 32,767 px, so the window's growth stops there.
Then its Exit button still closes it, the bar goes home, and the bar's Exit ends
the program normally."""

import http.server
import os
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.environ.get("ZORVEL_SOURCE", ""), "tests", "faults"))
import bar_motion as m  # noqa: E402
import fault_support as f  # noqa: E402
import zorvel_e2e as e2e  # noqa: E402

check = e2e.Check()
LINES = 5000
TARGET = LINES * 26 + 24
X11_LIMIT = 32767
LINK_BLUE = (0, 0, 238)
HOME = (b"<!DOCTYPE html><html><head><title>Budget</title></head><body style='margin:0'>"
        b"<a href='BigAccount.aspx' style='display:block;height:400px;background:rgb(0,0,238)'>&nbsp;</a>"
        b"</body></html>")
BIG = ("<!DOCTYPE html><html><head><title>Account</title></head><body>"
       + "".join(f"<div>line{n}</div>" for n in range(1, LINES + 1)) + "</body></html>").encode()


class Pages(http.server.BaseHTTPRequestHandler):
    served = []

    def do_GET(self):
        Pages.served.append(self.path)
        body = {"/Brenvo/": HOME, "/Brenvo/BigAccount.aspx": BIG}.get(self.path)
        self.send_response(200 if body else 404)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body or b"")))
        self.end_headers()
        self.wfile.write(body or b"")

    def log_message(self, *args):
        pass


def link_pixel(session, bar):
    """A point of the home page's link in the bar's page area."""
    left, top, width, height = session.geometry(bar)
    rows = session.pixels(left + 100, top + 20, 400, 20)
    for y, row in enumerate(rows):
        for x, pixel in enumerate(row):
            if pixel == LINK_BLUE:
                return left + 100 + x, top + 20 + y
    return None


def resident_mb(pid):
    with open(f"/proc/{pid}/status") as status:
        return next(int(line.split()[1]) for line in status if line.startswith("VmRSS:")) / 1024


server = http.server.ThreadingHTTPServer((e2e.SERVER_HOST, e2e.SERVER_PORT), Pages)
threading.Thread(target=server.serve_forever, daemon=True).start()
try:
    with e2e.Session() as s:
        f.without_session_bus(s)
        s.start_x()
        proc = s.start_zorvel()
        bar = f.find_window(s, proc.pid, "Zorvel")
        geometry = f.bar_at(s, bar, 0, (810, 62), 30)
        link = e2e.wait_for(lambda: link_pixel(s, bar), 30, what="the home page's link")
        f.click(s, *link)
        before = resident_mb(proc.pid)
        print(f"zorvel's resident memory before the account page: {before:.0f} MB", flush=True)
        account = f.find_window(s, proc.pid, "Account", timeout=20)
        e2e.wait_for(lambda: "/Brenvo/BigAccount.aspx" in Pages.served, 10, what="the account page request")

        started = time.monotonic()
        heights = []

        def grown():
            height = s.geometry(account)[3]
            if not heights or heights[-1] != height:
                heights.append(height)
            return height == min(TARGET, X11_LIMIT)
        try:
            e2e.wait_for(grown, 60, interval=0.005, what="the window grown")
            took = time.monotonic() - started
            check(True, f"the window grows to {min(TARGET, X11_LIMIT)} px, X11's limit, for a page asking "
                        f"{TARGET} px, {took:.1f} s after the page's request (heights seen {heights})")
        except AssertionError:
            check(False, f"the window grows to {min(TARGET, X11_LIMIT)} px (heights seen {heights})")
        check(m.stays(s, lambda: s.geometry(account)[3] == min(TARGET, X11_LIMIT), 1.0), "and stays there")
        check(proc.poll() is None, f"zorvel still runs (resident memory {resident_mb(proc.pid):.0f} MB)")

        # Its Exit button, 1 px from the window's top and right edges, still answers.
        left, top, width, _ = s.geometry(account)
        homes = Pages.served.count("/Brenvo/")
        f.click(s, left + width - 20 + 2 + 8, top + 1 + 8)
        try:
            e2e.wait_for(lambda: account.get_attributes().map_state != 2, 15, what="the account window hidden")
            check(True, "its Exit button closes the window")
        except AssertionError:
            check(False, "its Exit button closes the window")
        try:
            e2e.wait_for(lambda: Pages.served.count("/Brenvo/") > homes, 15, what="the bar going home")
            check(True, "and the bar goes home")
        except AssertionError:
            check(False, "and the bar goes home")
        check(f.exit_bar(s, proc, bar), "zorvel ends normally from the bar's Exit")
        f.close_display(s)
finally:
    server.shutdown()
    server.server_close()

check.finish()
