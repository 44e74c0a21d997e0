"""The real zorvel under Xvfb starts the updater: "/silentall" once at start and
once a minute, found in the program's folder before the current directory,
started in the current directory; without any updater the bar runs normally."""

import os
import time

import zorvel_e2e as e2e
from instance_e2e import (find_mapped, install_program, install_recording_updater, launches,
                          mapped_titles)

check = e2e.Check()


with e2e.Session() as s:
    s.start_x()
    s.start_budgetweb("--demo")
    # No updater on PATH, whatever the machine has installed.
    s.env["PATH"] = "/usr/bin:/bin"
    program_dir = os.path.join(s.home, "program")
    work_dir = os.path.join(s.home, "work")
    os.makedirs(work_dir)
    log = os.path.join(s.home, "launches.log")
    program = install_program(program_dir)
    install_recording_updater(program_dir, "program", log)
    install_recording_updater(work_dir, "cwd", log)

    # Both folders hold an updater: the program's own is the one started, in the current directory.
    proc = s.start_zorvel(program, cwd=work_dir)
    started = time.monotonic()
    find_mapped(s, proc.pid, "Zorvel", 40)
    first = e2e.wait_for(lambda: launches(log), 20, what="the start-up launch")
    check(first == [f"program /silentall {work_dir}"], f"one silent launch at start from the program's folder ({first})")

    # The minute tick: the next launch comes about 60 s after the start, and only one.
    two = e2e.wait_for(lambda: len(launches(log)) >= 2 and launches(log), 80, what="the first minute's launch")
    after = time.monotonic() - started
    check(two == [f"program /silentall {work_dir}"] * 2, f"the Update tick launches the same way ({two})")
    check(50 <= after <= 75, f"the tick comes about a minute after start ({after:.0f} s)")
    check(proc.poll() is None, "the bar still runs after the launches")
    proc.terminate()
    proc.wait(timeout=15)

    # Only the current directory holds one: that one is started.
    os.remove(os.path.join(program_dir, "updater"))
    os.remove(log)
    proc = s.start_zorvel(program, cwd=work_dir)
    find_mapped(s, proc.pid, "Zorvel", 40)
    found = e2e.wait_for(lambda: launches(log), 20, what="the start-up launch from the current directory")
    check(found == [f"cwd /silentall {work_dir}"], f"without one beside the program, the current directory's ({found})")
    proc.terminate()
    proc.wait(timeout=15)

    # No updater anywhere: the bar starts and runs as usual.
    os.remove(os.path.join(work_dir, "updater"))
    os.remove(log)
    proc = s.start_zorvel(program, cwd=work_dir)
    bar = find_mapped(s, proc.pid, "Zorvel", 40)
    check(s.geometry(bar) == (235, 0, 810, 62), f"without an updater the bar stands as usual ({s.geometry(bar)})")
    check(proc.poll() is None, "without an updater the program keeps running")
    check(not os.path.exists(log), "nothing was launched")
    shown = mapped_titles(s, proc.pid)
    check(shown == ["Zorvel"], f"no message shown for the missing updater (mapped: {shown})")
    proc.terminate()
    proc.wait(timeout=15)
    check(proc.returncode is not None, "ends when asked")

check.finish()
