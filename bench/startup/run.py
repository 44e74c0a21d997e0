#!/usr/bin/env python3
"""Start-up cost of the bar against a bare browser view of the same size on the same page.

For each round, alternating, it starts the program under its own Xvfb with the budget web
application on 127.0.0.1:8470 and prints milliseconds from exec to the window mapped, to
the page's text painted, and the process tree's PSS once the page shows.
Run from the build folder's parent:  sudo python3 bench/startup/run.py [rounds]"""

import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "../../tests/e2e"))
os.environ.setdefault("ZORVEL_BIN", os.path.join(os.path.dirname(__file__), "../../build/bin"))
import zorvel_e2e as e2e  # noqa: E402

ROUNDS = int(sys.argv[1]) if len(sys.argv) > 1 else 5


def tree_pss_kib(pid):
    pids, frontier = {pid}, [pid]
    while frontier:
        parent = frontier.pop()
        try:
            with open(f"/proc/{parent}/task/{parent}/children") as f:
                kids = [int(k) for k in f.read().split()]
        except OSError:
            kids = []
        frontier += kids
        pids.update(kids)
    total = 0
    for p in pids:
        try:
            with open(f"/proc/{p}/smaps_rollup") as f:
                for line in f:
                    if line.startswith("Pss:"):
                        total += int(line.split()[1])
        except OSError:
            pass
    return total


def measure(session, args):
    start = time.monotonic()
    proc = session.spawn(args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    window = session.find_window(proc.pid, "Zorvel", timeout=30)
    mapped = time.monotonic() - start

    def painted():
        left, top, width, height = session.geometry(window)
        return e2e.dark_pixels(session.pixels(left + 90, top + 2, width - 150, height - 4)) > 40
    e2e.wait_for(painted, 30, interval=0.005, what="the page")
    loaded = time.monotonic() - start
    time.sleep(1.0)  # let the browser's processes settle before reading memory
    pss = tree_pss_kib(proc.pid)
    proc.terminate()
    proc.wait(timeout=15)
    return mapped * 1000, loaded * 1000, pss / 1024


def main():
    home = e2e.SERVER_HOST
    url = f"http://{home}:{e2e.SERVER_PORT}/Brenvo/"
    programs = {"zorvel": [os.path.join(e2e.BIN, "zorvel")],
                "bare view": [os.path.join(e2e.BIN, "bench_bare_view"), url]}
    results = {name: [] for name in programs}
    with e2e.Session() as session:
        session.start_x()
        session.start_budgetweb("--demo")
        for _ in range(ROUNDS):
            for name, args in programs.items():
                results[name].append(measure(session, args))
                # The bar's browser profile persists; start each round from the same state.
    print(f"{'program':10} {'mapped ms':>10} {'loaded ms':>10} {'PSS MiB':>9}   (median of {ROUNDS})")
    medians = {}
    for name, rows in results.items():
        medians[name] = [statistics.median(col) for col in zip(*rows)]
        m = medians[name]
        print(f"{name:10} {m[0]:10.0f} {m[1]:10.0f} {m[2]:9.1f}")
    z, b = medians["zorvel"], medians["bare view"]
    print(f"zorvel / bare view: mapped {z[0] / b[0]:.2f}, loaded {z[1] / b[1]:.2f}, PSS {z[2] / b[2]:.3f}")


if __name__ == "__main__":
    main()
