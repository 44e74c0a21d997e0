"""A budgetweb started for one test on a free loopback port, and a small browser for it:
cookies, form tokens and redirects seen as they are (never followed on their own)."""

import html.parser
import http.client
import os
import re
import select
import signal
import sqlite3
import subprocess
import tempfile
import time
import urllib.parse

BIN = os.environ.get("ZORVEL_BIN", os.path.join(os.path.dirname(__file__), "../../build/bin"))


class Server:
    def __init__(self, *options, db=None):
        self.dir = tempfile.mkdtemp(prefix="budgetweb-test-")
        self.db = db or os.path.join(self.dir, "budget.sqlite")
        self.log = open(os.path.join(self.dir, "stderr.log"), "w+")
        self.proc = subprocess.Popen([os.path.join(BIN, "budgetweb"), "--listen", "127.0.0.1:0",
                                      "--db", self.db, *options],
                                     stdout=subprocess.PIPE, stderr=self.log, text=True)
        deadline = time.monotonic() + 10
        line = ""
        while not line.endswith("\n"):
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.proc.stdout], [], [], left)[0]:
                self.stop()
                raise AssertionError("budgetweb printed no address within 10 s")
            chunk = self.proc.stdout.readline()
            if not chunk:
                raise AssertionError("budgetweb ended at start: " + self.stderr())
            line += chunk
        m = re.fullmatch(r"listening on http://127\.0\.0\.1:(\d+)/Brenvo/\n", line)
        assert m, f"unexpected first line {line!r}"
        self.port = int(m.group(1))

    def stderr(self):
        self.log.flush()
        with open(self.log.name) as f:
            return f.read()

    def stop(self, sig=signal.SIGTERM):
        """Stops the server; returns its exit status."""
        if self.proc.poll() is None:
            self.proc.send_signal(sig)
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
                raise AssertionError("budgetweb did not end within 10 s of a stop signal")
        return self.proc.returncode

    def query(self, sql, *args):
        with sqlite3.connect(self.db) as c:
            return c.execute(sql, args).fetchall()

    def count(self, table):
        return self.query(f"SELECT COUNT(*) FROM {table}")[0][0]

    def browser(self):
        return Browser(self.port)


class Response:
    def __init__(self, status, headers, body):
        self.status = status
        self.headers = headers
        self.body = body
        self.location = headers.get("location", "")

    def token(self):
        m = re.search(r'name="_token" value="([0-9a-f]+)"', self.body)
        assert m, "no form token on the page"
        return m.group(1)


class Browser:
    def __init__(self, port):
        self.port = port
        self.cookies = {}
        self.set_cookie_headers = []

    def request(self, method, path, fields=None, headers=None):
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=20)
        h = dict(headers or {})
        if self.cookies:
            h["Cookie"] = "; ".join(f"{k}={v}" for k, v in self.cookies.items())
        body = None
        if fields is not None:
            body = urllib.parse.urlencode(fields)
            h["Content-Type"] = "application/x-www-form-urlencoded"
        conn.request(method, path, body=body, headers=h)
        r = conn.getresponse()
        data = r.read().decode("utf-8")
        headers_ = {k.lower(): v for k, v in r.getheaders()}
        for k, v in r.getheaders():
            if k.lower() == "set-cookie":
                self.set_cookie_headers.append(v)
                name, _, rest = v.partition("=")
                value = rest.split(";")[0]
                if "max-age=0" in v.lower():
                    self.cookies.pop(name, None)
                else:
                    self.cookies[name] = value
        conn.close()
        return Response(r.status, headers_, data)

    def get(self, path):
        return self.request("GET", path)

    def post(self, path, fields, token=True):
        """Posts the fields with the form token of the page itself, unless token is given or False."""
        fields = dict(fields)
        if token is True:
            fields["_token"] = self.get(path).token()
        elif token:
            fields["_token"] = token
        return self.request("POST", path, fields)

    def sign_up(self, login, password="correct horse", name=None):
        r = self.post("/Brenvo/NewAccount.aspx", {"login": login, "name": name or login.title(), "email": "",
                                                   "password": password, "repeat": password})
        assert r.status == 303, f"sign-up of {login} failed: {r.status} {r.body[-300:]}"
        return r

    def sign_in(self, login, password):
        return self.post("/Brenvo/Account.aspx", {"login": login, "password": password})


class PageText(html.parser.HTMLParser):
    """The rows of an account page (its heading and its div.r rows) with their text, and any
    text that stands outside a row: the account window counts text lines, so every row must
    hold text and no text may stand outside a row."""

    def __init__(self, page):
        super().__init__()
        self.rows = []
        self.stray = []
        self.hrefs = []
        self._depth = 0  # > 0 inside a row
        self._skip = 0
        self.feed(page)

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        for key in ("href", "action"):
            if key in a:
                self.hrefs.append(a[key])
        if tag in ("style", "title", "script"):
            self._skip += 1
        elif self._depth:
            if tag == "div":
                self._depth += 1
        elif tag == "h1" or (tag == "div" and a.get("class") == "r"):
            self._depth = 1
            self.rows.append("")

    def handle_endtag(self, tag):
        if tag in ("style", "title", "script"):
            self._skip -= 1
        elif self._depth and tag in ("div", "h1"):
            self._depth -= 1

    def handle_data(self, data):
        if self._skip:
            return
        if self._depth:
            self.rows[-1] += data
        elif data.strip():
            self.stray.append(data.strip())


def links(page):
    """Every href and form action of a page."""
    return PageText(page).hrefs
