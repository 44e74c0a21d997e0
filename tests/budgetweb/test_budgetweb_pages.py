"""End-to-end: the real budgetweb on a free loopback port, every page over HTTP."""

import os
import re
import subprocess
import sys
import threading

sys.path.insert(0, os.path.dirname(__file__))
from budgetweb_client import BIN, PageText, Server, links  # noqa: E402

SOURCE = os.environ.get("ZORVEL_SOURCE", os.path.join(os.path.dirname(__file__), "../.."))
ERROR_HEADING = "Server Error in '/Brenvo' Application."
failures = []


def check(ok, what):
    print(("ok: " if ok else "FAILED: ") + what, flush=True)
    if not ok:
        failures.append(what)
    return ok


def no_account_links(page, what):
    bad = [h for h in links(page) if "account.aspx" in h.lower()]
    check(not bad, f"{what}: no address with Account.aspx ({bad})")


def command_line():
    run = lambda *a: subprocess.run([os.path.join(BIN, "budgetweb"), *a], capture_output=True, text=True, timeout=10)
    r = run("--help")
    check(r.returncode == 0 and all(o in r.stdout for o in ("--listen", "--db", "--demo", "--fail-page",
                                                          "--latest-version", "--download-url")),
          "--help lists every option")
    for args in (["--bogus"], ["--listen", "nohost"], ["--listen", "127.0.0.1:70000"],
                 ["--latest-version", "1.2.3"], ["--db"]):
        r = run(*args)
        check(r.returncode == 2 and r.stderr.count("\n") == 1 and r.stdout == "",
              f"{args}: exit 2 with one line on stderr ({r.returncode}, {r.stderr!r})")
    s = Server()
    try:
        r = run("--listen", f"127.0.0.1:{s.port}", "--db", s.db + "2")
        check(r.returncode == 1 and "cannot listen" in r.stderr, "a port in use: exit 1 with a clear line")
    finally:
        s.stop()


def signed_out_pages(s):
    b = s.browser()
    for path in ("/Brenvo/", "/Brenvo/Default.aspx", "/Brenvo/default.ASPX"):
        r = b.get(path)
        check(r.status == 200 and 'href="/Brenvo/Account.aspx"' in r.body and 'href="/Brenvo/NewAccount.aspx"' in r.body,
              f"{path}: signed-out home page links to sign in and to create an account")
    check("demo" not in b.get("/Brenvo/").body, "no demo hint without --demo")
    for path in ("/Brenvo/ManageTypesF.aspx", "/Brenvo/ModUserF.aspx"):
        r = b.get(path)
        check(r.status == 200 and "Sign in" in r.body, f"{path}: signed out, asks to sign in")
    # Account pages work for a plain navigation in a fresh browser, one row of text a line.
    for path in ("/Brenvo/Account.aspx", "/Brenvo/NewAccount.aspx", "/Brenvo/PasswordAccount.aspx"):
        r = s.browser().get(path)
        text = PageText(r.body)
        check(r.status == 200 and 'href="/Brenvo/Default.aspx">Cancel' in r.body, f"{path}: plain GET with a Cancel to Default.aspx")
        check(text.rows and all(row.strip() for row in text.rows) and not text.stray,
              f"{path}: every row holds text and no text stands outside a row ({text.rows}, {text.stray})")
        check(all(len(row.replace(" ", "")) <= 40 for row in text.rows), f"{path}: rows are short lines")
        check(all("default.aspx" not in h.lower() or h == "/Brenvo/Default.aspx" for h in text.hrefs)
              and "/Brenvo/Default.aspx" in text.hrefs, f"{path}: Default.aspx only as the end of the flow")
    for status, path in ((404, "/Brenvo/Nope.aspx"), (404, "/elsewhere"), (404, "/"), (404, "/Brenvo/updates/x")):
        r = b.get(path)
        check(r.status == status and "Not Found" in r.body, f"{path}: {status} with a plain page")
    r = b.get("/Brenvo")
    check(r.status == 301 and r.location.endswith("/Brenvo/"), "/Brenvo redirects to the folder")
    r = b.request("POST", "/Brenvo/Logout.aspx", {})
    check(r.status == 405, "a post to a page without a form: 405")


def sign_up_and_in(s):
    b = s.browser()
    b.get("/Brenvo/NewAccount.aspx")
    good = {"login": "ann", "name": "Ann Smith", "email": "ann@example.org", "password": "s3cret pass", "repeat": "s3cret pass"}
    bad = [
        ({"login": ""}, "Enter a user name."),
        ({"login": "a b"}, "Use letters, digits"),
        ({"login": "x" * 33}, "Use 3 to 32 characters."),
        ({"name": "   "}, "Enter your name."),
        ({"name": "n" * 61}, "Too long"),
        ({"email": "not-an-address"}, "Enter an address such as"),
        ({"password": "short", "repeat": "short"}, "Use at least 8 characters."),
        ({"repeat": "something else"}, "The passwords differ."),
    ]
    for change, message in bad:
        r = b.post("/Brenvo/NewAccount.aspx", {**good, **change})
        check(r.status == 200 and message in r.body and s.count("users") == 0,
              f"sign-up with {change}: same page, '{message}', nothing stored")
    r = b.post("/Brenvo/NewAccount.aspx", {**good, "name": "<b>Ann</b>", "login": "ann"})
    check(r.status == 303 and "Default.aspx" in r.location, f"sign-up ends at a Default.aspx address ({r.location})")
    cookie = b.set_cookie_headers[-1]
    check("HttpOnly" in cookie and "SameSite=Lax" in cookie, f"session cookie is HttpOnly, SameSite=Lax ({cookie})")
    home = b.get("/Brenvo/")
    check("&lt;b&gt;Ann&lt;/b&gt;" in home.body and "<b>Ann</b>" not in home.body, "user text is escaped on output")
    check(all(t in home.body for t in ("Groceries", "Transport")) and "0.00</span>/400.00" in home.body,
          "a new household starts with budget types")
    no_account_links(home.body, "signed-in home page")
    r = s.browser().post("/Brenvo/NewAccount.aspx", {**good, "login": "ANN"})
    check(r.status == 200 and "This user name is taken." in r.body and s.count("users") == 1,
          "a taken user name (any case) is refused")
    stored = s.query("SELECT pw_key, pw_salt, pw_iterations FROM users")[0]
    check(b"s3cret" not in stored[0] and len(stored[1]) == 16 and stored[2] >= 100000,
          "the password is stored as a salted slow hash")

    other = s.browser()
    for login, password, message in (("ann", "wrong pass", "Wrong user name or password."),
                                     ("nobody", "s3cret pass", "Wrong user name or password."),
                                     ("", "x", "Enter your user name."), ("ann", "", "Enter your password.")):
        r = other.sign_in(login, password)
        check(r.status == 200 and message in r.body, f"sign-in {login!r}/{password!r}: '{message}'")
    before = other.cookies.get("BrenvoSession")
    r = other.sign_in("Ann", "s3cret pass")
    check(r.status == 303 and r.location.endswith("/Brenvo/Default.aspx"), "sign-in ends at Default.aspx")
    check(other.cookies.get("BrenvoSession") not in (None, before), "sign-in gives a new session token")
    return b


def form_token(s, b):
    n = s.count("expenses")
    types = s.query("SELECT id FROM budget_types")
    fields = {"amount": "5.00", "type": str(types[0][0]), "note": "x"}
    r = b.post("/Brenvo/", fields, token=False)
    check(r.status == 403 and s.count("expenses") == n, "a post without the form token is refused, nothing stored")
    stranger = s.browser()
    r = b.post("/Brenvo/", fields, token=stranger.get("/Brenvo/Account.aspx").token())
    check(r.status == 403 and s.count("expenses") == n, "another session's form token is refused")
    r = b.request("POST", "/Brenvo/?_token=" + b.get("/Brenvo/").token(), fields)
    check(r.status == 403 and s.count("expenses") == n, "a token in the query string does not count")


def expenses(s, b):
    type_id = s.query("SELECT id FROM budget_types WHERE name = 'Groceries'")[0][0]
    good = {"amount": "12.5", "type": str(type_id), "note": "Market <&>"}
    bad = [({"amount": ""}, "Enter an amount."), ({"amount": "abc"}, "Enter a number"),
           ({"amount": "-5"}, "cannot be negative"), ({"amount": "0"}, "more than zero"),
           ({"amount": "1.234"}, "at most two decimals"), ({"amount": "12345678901234"}, "too long"),
           ({"amount": "99999999"}, "too large"), ({"type": ""}, "Choose a budget type."),
           ({"type": "999999"}, "no longer exists"), ({"note": "n" * 101}, "Too long")]
    for change, message in bad:
        r = b.post("/Brenvo/", {**good, **change})
        check(r.status == 200 and message in r.body and s.count("expenses") == 0,
              f"expense {change}: '{message}' beside the field, nothing stored")
    r = b.post("/Brenvo/Default.aspx", good)
    check(r.status == 303 and r.location.startswith("/Brenvo/Default.aspx"), "adding an expense redirects back home")
    r = b.post("/Brenvo/", {**good, "amount": "0,75"})
    check(s.query("SELECT cents, note FROM expenses ORDER BY id") == [(1250, "Market <&>"), (75, "Market <&>")],
          "amounts are stored as integer cents")
    home = b.get("/Brenvo/")
    check("13.25</span>/400.00" in home.body and "Market <&>" not in home.body,
          "this month's spending shows against the budget")

    # Many at once: each post on its own connection, all committed.
    errors = []

    def add(i):
        try:
            r = b.post("/Brenvo/", {**good, "amount": "1.00", "note": f"parallel {i}"})
            if r.status != 303:
                errors.append(r.status)
        except Exception as e:  # noqa: BLE001
            errors.append(repr(e))
    threads = [threading.Thread(target=add, args=(i,)) for i in range(24)]
    [t.start() for t in threads]
    [t.join(30) for t in threads]
    check(not errors and s.count("expenses") == 26, f"24 concurrent posts all stored ({errors})")


def manage_types(s, b):
    page = "/Brenvo/ManageTypesF.aspx"
    n = s.count("budget_types")
    for fields, message in (({"name": "", "amount": "10"}, "Enter a name."),
                            ({"name": "Pets", "amount": "ten"}, "Enter a number"),
                            ({"name": "Pets", "amount": "-1"}, "cannot be negative"),
                            ({"name": "p" * 41, "amount": "1"}, "Too long"),
                            ({"name": "groceries", "amount": "1"}, "A type of this name exists.")):
        r = b.post(page, {"action": "add", **fields})
        check(r.status == 200 and message in r.body and s.count("budget_types") == n,
              f"add type {fields}: '{message}', nothing stored")
    r = b.post(page, {"action": "add", "name": "Pets <cat>", "amount": "30"})
    check(r.status == 303 and s.count("budget_types") == n + 1, "a new type is added")
    r = b.get(r.location)
    check("Type added." in r.body and "Pets &lt;cat&gt;" in r.body, "the list shows the new type, escaped")
    no_account_links(r.body, "ManageTypesF.aspx")
    pets = s.query("SELECT id FROM budget_types WHERE name = 'Pets <cat>'")[0][0]
    r = b.post(page, {"action": "save", "id": str(pets), "name": "Pets", "amount": "35.5"})
    check(r.status == 303 and s.query("SELECT name, monthly_cents FROM budget_types WHERE id = ?", pets) == [("Pets", 3550)],
          "rename and new amount are saved")
    r = b.post(page, {"action": "save", "id": str(pets), "name": "Leisure", "amount": "1"})
    check(r.status == 200 and "A type of this name exists." in r.body, "renaming onto another type's name is refused")
    groceries = s.query("SELECT id FROM budget_types WHERE name = 'Groceries'")[0][0]
    r = b.post(page, {"action": "delete", "id": str(groceries)})
    check(r.status == 200 and "cannot be deleted" in r.body and s.count("budget_types") == n + 1,
          "a type in use cannot be deleted, and the page says so")
    r = b.post(page, {"action": "delete", "id": str(pets)})
    check(r.status == 303 and s.count("budget_types") == n, "an unused type is deleted")
    intruder = s.browser()
    intruder.sign_up("mallory")
    r = intruder.post(page, {"action": "delete", "id": str(groceries)})
    check(s.query("SELECT COUNT(*) FROM budget_types WHERE id = ?", groceries) == [(1,)],
          "another user cannot delete someone's type")


def mod_user_and_password(s, b):
    page = "/Brenvo/ModUserF.aspx"
    r = b.get(page)
    check('href="/Brenvo/PasswordAccount.aspx"' in r.body, "ModUserF links to the password page")
    for fields, message in (({"name": "", "email": ""}, "Enter your name."),
                            ({"name": "Ann", "email": "bad"}, "Enter an address such as")):
        r = b.post(page, fields)
        check(r.status == 200 and message in r.body and s.query("SELECT display_name FROM users WHERE login='ann'") == [("<b>Ann</b>",)],
              f"user details {fields}: '{message}', nothing stored")
    r = b.post(page, {"name": "Ann S.", "email": "ann@example.net"})
    check(r.status == 303 and s.query("SELECT display_name, email FROM users WHERE login='ann'") == [("Ann S.", "ann@example.net")],
          "user details are saved")
    check("Saved." in b.get(r.location).body, "the page says the details were saved")

    second = s.browser()
    second.sign_in("ann", "s3cret pass")
    page = "/Brenvo/PasswordAccount.aspx"
    for fields, message in (({"current": "wrong", "password": "new password", "repeat": "new password"}, "This is not your password."),
                            ({"current": "s3cret pass", "password": "short", "repeat": "short"}, "Use at least 8 characters."),
                            ({"current": "s3cret pass", "password": "new password", "repeat": "other"}, "The passwords differ.")):
        r = b.post(page, fields)
        check(r.status == 200 and message in r.body, f"password change {fields['current']!r}: '{message}'")
    r = b.post(page, {"current": "s3cret pass", "password": "new password", "repeat": "new password"})
    check(r.status == 303 and r.location.endswith("Default.aspx"), "password change ends at Default.aspx")
    check("Ann S." in b.get("/Brenvo/").body, "the session that changed the password stays signed in")
    check("Sign in" in second.get("/Brenvo/").body, "other sessions end with the old password")
    check(s.browser().sign_in("ann", "s3cret pass").status == 200, "the old password no longer signs in")
    check(s.browser().sign_in("ann", "new password").status == 303, "the new password signs in")


def logout(s, b):
    old = dict(b.cookies)
    r = b.get("/Brenvo/Logout.aspx")
    check(r.status == 200 and 'href="/Brenvo/Account.aspx"' in r.body and "BrenvoSession" not in b.cookies,
          "Logout.aspx shows the signed-out home page and clears the cookie")
    b.cookies = old
    check("Sign in" in b.get("/Brenvo/").body and "Ann S." not in b.get("/Brenvo/").body,
          "the ended session's token no longer signs in")


def failing_pages_and_manifest():
    s = Server("--fail-page", "Broken.aspx", "--fail-page", "default.aspx", "--latest-version", "1.2.3.4",
               "--download-url", 'http://example.org/"get"')
    try:
        b = s.browser()
        for path in ("/Brenvo/Broken.aspx", "/Brenvo/Default.aspx", "/Brenvo/"):
            r = b.get(path)
            title = re.search(r"<title>(.*?)</title>", r.body)
            h1 = re.search(r"<h1>(.*?)</h1>", r.body)
            check(r.status == 500 and title and title.group(1) == ERROR_HEADING and h1 and h1.group(1) == ERROR_HEADING,
                  f"{path}: HTTP 500, the standard error page")
        check(b.get("/Brenvo/Account.aspx").status == 200, "other pages still answer")
        r = b.get("/Brenvo/updates/latest.json")
        check(r.status == 200 and r.body.strip() == '{"version":"1.2.3.4","download":"http://example.org/\\"get\\""}',
              f"the update manifest serves the given version and address ({r.body.strip()})")
    finally:
        s.stop()
    version = re.search(r"project\(zorvel VERSION ([0-9.]+)", open(os.path.join(SOURCE, "CMakeLists.txt")).read()).group(1)
    s = Server()
    try:
        import json
        m = json.loads(s.browser().get("/Brenvo/updates/latest.json").body)
        check(m == {"version": version, "download": f"http://127.0.0.1:{s.port}/Brenvo/updates/"},
              f"by default the manifest offers the project's version {version} here ({m})")
        r = s.browser().get("/Brenvo/updates/")
        check(r.status == 200 and "Zorvel" in r.body, "the download page answers")
    finally:
        s.stop()


def demo_and_restart():
    s = Server("--demo")
    try:
        check("sign in as demo with the password demo" in s.browser().get("/Brenvo/").body,
              "with --demo the signed-out home page tells how to sign in")
        check("Demo: user demo, password demo." in s.browser().get("/Brenvo/Account.aspx").body, "and the sign-in page")
        b = s.browser()
        r = b.sign_in("demo", "demo")
        check(r.status == 303, "demo/demo signs in")
        home = b.get("/Brenvo/").body
        months = {d[:7] for (d,) in s.query("SELECT spent_on FROM expenses")}
        check(home.count('class="t"') >= 6 and len(months) >= 12 and s.count("budget_types") >= 4,
              f"the demo household has several types and a year of expenses ({len(months)} months)")
        n = s.count("expenses")
        type_id = s.query("SELECT id FROM budget_types LIMIT 1")[0][0]
        b.post("/Brenvo/", {"amount": "7.77", "type": str(type_id), "note": "kept"})
        check(s.stop() == 0, "SIGTERM ends the server with status 0")
        log = s.stderr()
        check(len(re.findall(r"^\S+ \S+ 127\.0\.0\.1 (GET|POST) /Brenvo/", log, re.M)) >= 6,
              "one log line per request on stderr")
        s2 = Server("--demo", db=s.db)
        try:
            check(s2.count("expenses") == n + 1 and s2.query("SELECT COUNT(*) FROM expenses WHERE note='kept'") == [(1,)],
                  "after a restart the demo is not seeded again and the entry is kept")
            check(s2.query("PRAGMA journal_mode") == [("wal",)] and s2.query("PRAGMA user_version") == [(1,)],
                  "the database is in WAL mode with a versioned schema")
        finally:
            check(s2.stop(signal_int()) == 0, "SIGINT ends the server with status 0")
    finally:
        s.stop()


def signal_int():
    import signal
    return signal.SIGINT


def main():
    command_line()
    s = Server()
    try:
        signed_out_pages(s)
        b = sign_up_and_in(s)
        form_token(s, b)
        expenses(s, b)
        manage_types(s, b)
        mod_user_and_password(s, b)
        logout(s, b)
    finally:
        s.stop()
    failing_pages_and_manifest()
    demo_and_restart()
    print(f"{len(failures)} failed", flush=True)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
