"""The web application's error page in the bar: a failing page sends the bar home; a home
page that always fails keeps being reloaded, and the program stays alive and responsive."""

import os
import re
import socket
import subprocess
import time

import zorvel_e2e as e2e

check = e2e.Check()


def start_budgetweb_logged(session, *options):
    """budgetweb with its request log in a file, so the test can see what the bar loads."""
    log_path = os.path.join(session.home, f"requests-{len(session.processes)}.log")
    log = open(log_path, "wb")
    session.spawn([os.path.join(e2e.BIN, "budgetweb"), "--listen", f"{e2e.SERVER_HOST}:{e2e.SERVER_PORT}",
                   "--db", os.path.join(session.home, "budget.sqlite"), *options],
                  stdout=subprocess.DEVNULL, stderr=log)
    log.close()

    def answering():
        with socket.socket() as probe:
            return probe.connect_ex((e2e.SERVER_HOST, e2e.SERVER_PORT)) == 0
    e2e.wait_for(answering, 10, what="the budget web application")
    return log_path


def requests(log_path, pattern):
    with open(log_path, errors="replace") as f:
        return [line for line in f if re.search(pattern, line)]


def exit_bar(session, proc):
    # Exit, the right-most button of the upper group.
    subprocess.run(["xdotool", "mousemove", str(235 + 757 + 34 + 8), "10", "click", "1"],
                   env=session.env, check=True)
    try:
        proc.wait(timeout=15)
        return proc.returncode == 0
    except subprocess.TimeoutExpired:
        return False


with e2e.Session() as s:
    s.start_x()
    log = start_budgetweb_logged(s, "--demo", "--fail-page", "Logout.aspx")
    proc = s.start_zorvel()
    bar = s.find_window(proc.pid, "Zorvel")
    e2e.wait_for(lambda: requests(log, r"GET /Brenvo/ "), 30, what="the bar's first home page load")
    # Logout answers the error page: the bar goes home right after it.
    homes_before = len(requests(log, r"GET /Brenvo/ "))
    subprocess.run(["xdotool", "mousemove", str(235 + 773 + 1 + 8), str(43 + 8), "click", "1"],
                   env=s.env, check=True)
    e2e.wait_for(lambda: requests(log, r"GET /Brenvo/Logout\.aspx"), 15, what="the logout request")
    e2e.wait_for(lambda: len(requests(log, r"GET /Brenvo/ ")) > homes_before, 15,
                 what="the bar to go home after the error page")
    check(True, "the failing logout page sends the bar home")
    check(exit_bar(s, proc), "zorvel ends normally from Exit")
    s.x.close()
    s.x = None

with e2e.Session() as s:
    s.start_x()
    log = start_budgetweb_logged(s, "--demo", "--fail-page", "Default.aspx")
    proc = s.start_zorvel()
    bar = s.find_window(proc.pid, "Zorvel")
    e2e.wait_for(lambda: len(requests(log, r"GET /Brenvo/ ")) >= 20, 60,
                 what="the bar to keep reloading the failing home page")
    first = len(requests(log, r"GET /Brenvo/ "))
    start = time.monotonic()
    e2e.wait_for(lambda: len(requests(log, r"GET /Brenvo/ ")) >= first + 20, 60, what="more reloads")
    rate = 20 / (time.monotonic() - start)
    check(proc.poll() is None, f"a home page that keeps failing keeps being reloaded ({rate:.0f}/s), no crash")
    check(exit_bar(s, proc), "the bar still answers its Exit button while reloading")
    s.x.close()
    s.x = None

check.finish()
