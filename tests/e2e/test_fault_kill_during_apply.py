"""SIGKILL of zorvel in the middle of a burst of Apply writes: config.ini is only
ever the old file or a new one, never torn. A watcher reads the file without
pause while xdotool pages the preferences dialog's height slider up by 2 and
presses Apply, again and again; zorvel is killed at a random moment; five
rounds. Every read must be a complete file (one [Config] section, the four keys,
integers), its heights must only rise, as they were applied, and no temporary
file may be left beside it. (The slider, not typing, so that no keystroke lost
to a focus change can make a height that was never meant.)"""

import os
import random
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.environ.get("ZORVEL_SOURCE", ""), "tests", "faults"))
import fault_support as f  # noqa: E402
import zorvel_e2e as e2e  # noqa: E402

check = e2e.Check()
ROUNDS = 5
APPLIES = 20


class Watcher(threading.Thread):
    """Reads config.ini over and over; records every distinct content seen, and every read
    that is not a complete file."""

    def __init__(self, path):
        super().__init__(daemon=True)
        self.path = path
        self.reads = 0
        self.heights = []       # distinct Height values in the order they were seen
        self.torn = []          # texts that were not complete files
        self.others = []        # complete files whose other keys changed
        self.running = True

    def run(self):
        while self.running:
            try:
                with open(self.path, "rb") as file:
                    data = file.read()
            except FileNotFoundError:
                self.torn.append("<no file>")
                continue
            self.reads += 1
            values = f.complete_config(data.decode("ascii", "replace"))
            if values is None:
                self.torn.append(data[:200])
                continue
            if (values["Width"], values["Sensitivity"], values["TopPos"]) != (810, 50, 1):
                self.others.append(values)
            if not self.heights or self.heights[-1] != values["Height"]:
                self.heights.append(values["Height"])

    def stop(self):
        self.running = False
        self.join(5)


seed = int(os.environ.get("ZORVEL_FAULT_SEED", time.time_ns() % 1000000))
print(f"kill moments from seed {seed} (set ZORVEL_FAULT_SEED to repeat them)", flush=True)
rng = random.Random(seed)
with e2e.Session() as s:
    f.without_session_bus(s)
    s.start_x()
    s.start_budgetweb("--demo")
    s.write_config(f.config_text())
    folder = os.path.dirname(s.config_path())
    watcher = Watcher(s.config_path())
    watcher.start()
    height = 62  # what the file holds
    started = time.monotonic()
    for round_number in range(ROUNDS):
        proc = s.start_zorvel()
        bar = f.find_window(s, proc.pid, "Zorvel")
        f.bar_at(s, bar, 0, (810, height), 30)
        dialog, box, apply = f.open_preferences(s, proc, bar)

        heights = [height + 2 * (i + 1) for i in range(APPLIES)]
        slider = f.height_slider_end(box)
        lines = [f"mousemove {slider[0]} {slider[1]} click 1 mousemove {apply[0]} {apply[1]} click 1"] * APPLIES
        burst = f.xdotool_script(s, lines)
        # At least one of this round's writes, then a random moment of the burst.
        e2e.wait_for(lambda: watcher.heights[-1] in heights, 30, what="the burst's first write")
        pause = rng.uniform(0.0, 2.5)
        time.sleep(pause)
        writes_before_kill = heights.index(watcher.heights[-1]) + 1 if watcher.heights[-1] in heights else 0
        burst_running = burst.poll() is None
        f.stop_hard(proc)
        burst.kill()
        burst.wait()
        check(burst_running or writes_before_kill < APPLIES,
              f"round {round_number + 1}: killed in the middle of the burst "
              f"({pause:.2f} s after its first write, {writes_before_kill} of {APPLIES} applies written)")
        # Whatever was last written is what the next start reads.
        with open(s.config_path()) as file:
            last = f.complete_config(file.read())
        check(last is not None and last["Height"] in heights,
              f"round {round_number + 1}: after the kill config.ini is complete, Height {last and last['Height']}")
        height = last["Height"] if last else 62
        left = sorted(set(os.listdir(folder)) - {"config.ini"})
        check(not left, f"round {round_number + 1}: nothing but config.ini in its folder (got {left})")

    watcher.stop()
    took = time.monotonic() - started
    check(not watcher.torn, f"{watcher.reads} reads in {took:.0f} s, every one a complete file "
                            f"({len(watcher.torn)} torn: {watcher.torn[:3]})")
    check(not watcher.others, f"width, sensitivity and position never changed (got {watcher.others[:3]})")
    # The heights were applied in rising order, round after round: the file never goes back.
    check(len(watcher.heights) > ROUNDS and watcher.heights == sorted(set(watcher.heights)),
          f"{len(watcher.heights) - 1} new heights seen, each newer than the one before ({watcher.heights})")

    # The next start after the last kill takes the last height written.
    with open(s.config_path()) as file:
        final = f.complete_config(file.read())
    proc = s.start_zorvel()
    bar = f.find_window(s, proc.pid, "Zorvel")
    try:
        f.bar_at(s, bar, 0, (810, final["Height"]), 30)
        check(True, f"a new start after the kills takes Height {final['Height']} from the file")
    except AssertionError:
        check(False, f"a new start takes Height {final['Height']} (got {s.geometry(bar)})")
    check(f.exit_bar(s, proc, bar), "and ends normally from Exit")
    f.close_display(s)

check.finish()
