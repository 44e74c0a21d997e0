"""The real zorvel under Xvfb against the real budget web application: the bar's sign-in
link opens an "Account" window centred under the bar that grows to its page's height;
signing in ends the flow, the window hides and the bar shows the signed-in home page."""

import subprocess

import zorvel_e2e as e2e

check = e2e.Check()


def white_pixels(session, left, top, width, height):
    return sum(1 for row in session.pixels(left, top, width, height) for p in row if p == (255, 255, 255))


def xdotool(session, *args):
    subprocess.run(["xdotool", *args], env=session.env, check=True)


with e2e.Session() as s:
    s.start_x()
    s.start_budgetweb("--demo")
    proc = s.start_zorvel()
    bar = s.find_window(proc.pid, "Zorvel")
    link = e2e.wait_for(lambda: e2e.first_link(s, bar), 30, what="the home page's sign-in link")

    xdotool(s, "mousemove", str(link[0]), str(link[1]), "click", "1")
    account = s.find_window(proc.pid, "Account", timeout=20)
    left, top, width, _ = s.geometry(account)
    check((left, top, width) == (235 + 405 - 173, 62, 346),
          f"the account window stands centred under the bar at 467,62, 346 wide (got {left},{top},{width})")

    def grown():
        height = s.geometry(account)[3]
        return height if height > 24 and (height - 24) % 26 == 0 else None
    height = e2e.wait_for(grown, 20, what="the account window to grow to lines x 26 + 24")
    still = e2e.wait_for(lambda: s.geometry(account)[3] == height and s.geometry(account)[3], 2,
                         what="a steady height")
    check(still == height and height >= 50, f"grows to its page's height, {height} px ({(height - 24) // 26} lines)")
    page = e2e.wait_for(lambda: white_pixels(s, left + 2, top + 2, 300, height - 4) > 2000, 10,
                        what="the account page painted")
    check(page, "the account page shows once grown")
    check(s.find_window(proc.pid, "Zorvel").id == bar.id, "the bar stays on its page, shown")

    # The user name field has the focus; the flow ends on the web application's home page.
    xdotool(s, "mousemove", str(left + 200), str(top + 39), "click", "1")
    xdotool(s, "type", "--delay", "20", "demo")
    xdotool(s, "key", "Tab")
    xdotool(s, "type", "--delay", "20", "demo")
    xdotool(s, "key", "Return")
    e2e.wait_for(lambda: account.get_attributes().map_state != 2, 20, what="the account window to hide")
    check(True, "signing in ends the flow: the account window hides")

    def signed_in():
        bl, bt, bw, _ = s.geometry(bar)
        # The signed-in page has an expense form (white fields) and no sign-in link.
        return e2e.first_link(s, bar) is None and white_pixels(s, bl + 60, bt + 26, bw - 120, 22) > 300
    check(bool(e2e.wait_for(signed_in, 20, what="the signed-in home page in the bar")),
          "the bar shows the signed-in home page")
    check(proc.poll() is None, "zorvel still runs")
    s.x.close()
    s.x = None

check.finish()
