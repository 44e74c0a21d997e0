"""The real zorvel under Xvfb: hook messages sent from another X client to the
parked bar. With the default sensitivity of 50, fifty code-4 messages leave it
parked and the 51st brings it to Top 0, opaque, within half a second; other
codes and 4 in a higher byte never count; 4 in the low byte with other bits
set does."""

import tempfile
import time

import bar_motion as m
import zorvel_e2e as e2e

check = e2e.Check()
NOT_CODE_4 = [0, 1, 3, 5, 0x14, 0x44, 0xFF, 0x400, 0x40000, 0x4000000, 0x04040400]


def wake(s, bar, lparam):
    sent = time.monotonic()
    m.send_hook(s, bar, lparam)
    frames = m.watch_until(s, bar, lambda top, opacity: top == 0 and opacity == 1.0, 5)
    return frames[-1][0] - sent


with e2e.Session() as s, tempfile.NamedTemporaryFile("w+", prefix="zorvel-stderr-") as log:
    proc, bar = m.start_bar_with_pointer_away(s, stderr=log)
    m.wait_parked(s, bar, 30)

    m.send_hook(s, bar, 4, 50)
    check(m.stays(s, lambda: m.is_parked(s, bar), 1.0), "50 code-4 messages leave the bar parked")
    took = wake(s, bar, 4)
    check(took <= 0.5, f"the 51st brings it to Top 0, opaque, within 0.5 s ({took:.3f} s)")
    check(s.geometry(bar) == (235, 0, 810, 62), f"shown at 235,0 (got {s.geometry(bar)})")

    # The pointer is still away: the next hide check, 5 s on, parks it again.
    m.wait_parked(s, bar, 15)
    for lparam in NOT_CODE_4:
        m.send_hook(s, bar, lparam, 20)
    check(m.stays(s, lambda: m.is_parked(s, bar), 1.0),
          f"{20 * len(NOT_CODE_4)} messages with other codes, or 4 only in a higher byte, leave it parked")
    # Had any of them counted, fewer than 51 of these would bring it back.
    m.send_hook(s, bar, 0xFFFFFF04, 50)
    check(m.stays(s, lambda: m.is_parked(s, bar), 1.0), "none of them counted: 50 more code-4 messages leave it parked")
    took = wake(s, bar, 0x12345604)
    check(took <= 0.5, f"4 in the low byte with other bits set counts: the 51st wakes it ({took:.3f} s)")

    check(proc.poll() is None, "zorvel still runs")
    m.close_display(s)
    log.flush()
    logged = open(log.name, errors="replace").read()
    check("client message" not in logged.lower(), "Qt logs nothing for the hook messages")

check.finish()
