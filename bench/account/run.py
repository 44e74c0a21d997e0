#!/usr/bin/env python3
"""Account window timings under an Xvfb of its own, against the budget web application on
127.0.0.1:8470. Run from the source tree:  sudo python3 bench/account/run.py [rounds]
(ZORVEL_BIN defaults to ../../build/bin)."""

import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "../../tests/e2e"))
os.environ.setdefault("ZORVEL_BIN", os.path.join(os.path.dirname(__file__), "../../build/bin"))
import zorvel_e2e as e2e  # noqa: E402

rounds = sys.argv[1] if len(sys.argv) > 1 else "10"
with e2e.Session() as session:
    session.start_x()
    session.start_budgetweb("--demo")
    proc = session.spawn([os.path.join(e2e.BIN, "bench_account_window"), rounds],
                         stderr=subprocess.DEVNULL)
    code = proc.wait(timeout=300)
    # The display goes before the server does.
    session.x.close()
    session.x = None
sys.exit(code)
