"""The budget web application killed and restarted while the bar shows its home
page. With the server gone, Logout leaves the bar on the browser's own error
page (refused connection), not the web application's error page, and the bar
doesn't go home by itself: not while the server is away, nor once it is back.
Then Logout shows the web application's page again; and after a second outage
the preferences dialog's Apply does, by sending the bar home.

What the bar's browser shows is read through QtWebEngine's remote debugging
port (the page's title and text), what reaches the server through its request
log, and the bar's painted pixels."""

import os
import signal
import sys
import time

sys.path.insert(0, os.path.join(os.environ.get("ZORVEL_SOURCE", ""), "tests", "faults"))
import fault_support as f  # noqa: E402
import zorvel_e2e as e2e  # noqa: E402

check = e2e.Check()
DIALOG_PAGES = ("ManageTypesF.aspx", "ModUserF.aspx")


def bar_page():
    """The bar's page among the program's pages (the dialog's two show their own)."""
    return next((p for p in f.pages() if not any(name in p["url"] for name in DIALOG_PAGES)), None)


def bar_text():
    page = bar_page()
    if not page:
        return None
    try:
        return page["title"], page["url"], f.page_text(page)
    except (OSError, ValueError, KeyError):
        return None


def shows_error_page():
    seen = bar_text()
    return seen and "ERR_CONNECTION_REFUSED" in seen[2] and seen


def shows_web_application(path_end):
    seen = bar_text()
    return seen and seen[0] == "Budget" and seen[1].endswith(path_end) and "Sign in" in seen[2] and seen


def text_pixels(session, bar):
    """Dark pixels in the bar's page area, left of its buttons and right of its name label."""
    left, top, width, height = session.geometry(bar)
    return e2e.dark_pixels(session.pixels(left + 90, top + 2, width - 150, height - 4))


def kill_server(web):
    os.killpg(web.pid, signal.SIGKILL)
    web.wait()
    e2e.wait_for(lambda: not f.server_answers(), 5, what="the server gone")


def outage(session, bar, web, round_name):
    """Kills the server, presses Logout; checks the browser's error page shows and stays."""
    kill_server(web)
    f.click(session, *f.logout_button(session.geometry(bar)))
    try:
        title, url, text = e2e.wait_for(shows_error_page, 20, what="the browser's error page")
        check("Server Error in '/Brenvo' Application" not in text and title != "Budget",
              f"{round_name}: with the server gone, Logout shows the browser's own error page "
              f"({title!r}, {url}: {text.splitlines()[0]!r})")
    except AssertionError:
        check(False, f"{round_name}: the browser's error page shows (got {bar_text()})")
    dark = text_pixels(session, bar)
    check(dark < 200, f"{round_name}: the bar paints the error page, no web application text ({dark} dark pixels)")


with e2e.Session() as s:
    f.without_session_bus(s)
    s.start_x()
    web, log = f.start_budgetweb_logged(s, "--demo", log_name="requests-1.log")
    f.enable_remote_debugging(s)
    started = time.monotonic()
    proc = s.start_zorvel()
    bar = f.find_window(s, proc.pid, "Zorvel")
    geometry = f.bar_at(s, bar, 0, (810, 62), 30)
    e2e.wait_for(lambda: shows_web_application("/Brenvo/"), 30, what="the home page in the bar")
    home_dark = e2e.wait_for(lambda: text_pixels(s, bar) > 500 and text_pixels(s, bar), 10, what="home painted")
    # The dialog opens now, while its pages can load; its Apply serves the second round.
    dialog, _, apply = f.open_preferences(s, proc, bar)
    f.xdotool(s, "mousemove", *f.logout_button(geometry))  # the pointer on the bar keeps it shown

    # First outage, then Logout once the server is back.
    outage(s, bar, web, "first outage")
    web, log = f.start_budgetweb_logged(s, "--demo", log_name="requests-2.log")
    deadline = time.monotonic() + 3
    while time.monotonic() < deadline and not f.requests(log, r"GET "):
        time.sleep(0.05)
    check(not f.requests(log, r"GET ") and shows_error_page(),
          "with the server back, the bar stays on the error page by itself for 3 s (no request reaches the server)")
    f.click(s, *f.logout_button(geometry))
    e2e.wait_for(lambda: f.requests(log, r"GET /Brenvo/Logout\.aspx"), 15, what="the logout request")
    try:
        seen = e2e.wait_for(lambda: shows_web_application("/Brenvo/Logout.aspx"), 15,
                            what="the web application's page")
        check(True, f"Logout then shows the web application's signed-out home page ({seen[2].splitlines()[0]!r})")
    except AssertionError:
        check(False, f"Logout then shows the web application's page (got {bar_text()})")
    try:
        dark = e2e.wait_for(lambda: text_pixels(s, bar) > home_dark // 2 and text_pixels(s, bar), 10,
                            what="the page painted")
        check(True, f"and the bar paints its text again ({dark} dark pixels, {home_dark} at first)")
    except AssertionError:
        check(False, f"the bar paints the page's text again ({text_pixels(s, bar)} dark pixels)")

    # Second outage, then Apply once the server is back: the bar goes home.
    outage(s, bar, web, "second outage")
    web, log = f.start_budgetweb_logged(s, "--demo", log_name="requests-3.log")
    f.click(s, *apply)
    e2e.wait_for(lambda: f.requests(log, r"GET /Brenvo/ "), 15, what="the home page request after Apply")
    try:
        e2e.wait_for(lambda: shows_web_application("/Brenvo/"), 15, what="the home page in the bar")
        check(True, "Apply then sends the bar to the web application's home page")
    except AssertionError:
        check(False, f"Apply then sends the bar home (got {bar_text()})")
    check(bool(f.requests(log, r"GET /Brenvo/ +200\b")), f"the restarted server answers it with 200 "
          f"({f.requests(log, r'GET /Brenvo/ ')[0].strip()})")
    check(f.exit_bar(s, proc, bar), "zorvel ends normally from Exit")
    print(f"took {time.monotonic() - started:.1f} s", flush=True)
    f.close_display(s)

check.finish()
