"""1,000,000 hook messages in a burst leave the bar responsive. The bar is parked
with Hide, then another X client sends it a million "MouseHookMessage" code-4
client messages as fast as python-xlib goes. The burst wakes the bar; a Hide
click queued behind the whole burst parks it again within a few seconds; 51
further messages then wake it as fast as ever; Exit ends it normally. (While
the burst streams in, the bar's 10 ms animation ticks wait: it slides down once
the messages stop.)"""

import os
import sys
import time

from Xlib import X
from Xlib.protocol import event

sys.path.insert(0, os.path.join(os.environ.get("ZORVEL_SOURCE", ""), "tests", "faults"))
import bar_motion as m  # noqa: E402
import fault_support as f  # noqa: E402
import zorvel_e2e as e2e  # noqa: E402

check = e2e.Check()
MESSAGES = 1_000_000
BATCH = 500          # requests per flush
SYNC_EVERY = 20_000  # a round trip now and then keeps python-xlib's 16-bit request serials in step


def flood(session, bar, count):
    kind = session.atom("MouseHookMessage")
    message = event.ClientMessage(window=bar, client_type=kind, data=(32, [4, 0, 0, 0, 0]))
    sent = 0
    while sent < count:
        for _ in range(min(BATCH, count - sent)):
            bar.send_event(message, event_mask=X.NoEventMask)
        sent += min(BATCH, count - sent)
        session.x.flush()
        if sent % SYNC_EVERY < BATCH:
            session.x.sync()
    session.x.sync()
    return sent


with e2e.Session() as s:
    f.without_session_bus(s)
    proc, bar = m.start_bar_with_pointer_away(s)
    geometry = f.bar_at(s, bar, 0, (810, 62), 30)
    hide = f.hide_button(geometry)
    f.click(s, *hide)  # the pointer stays there: over the shown bar, so that it doesn't hide by itself
    m.wait_parked(s, bar, 10)

    started = time.monotonic()
    sent = flood(s, bar, MESSAGES)
    took = time.monotonic() - started
    check(sent == MESSAGES, f"{sent} hook messages sent in {took:.1f} s ({sent / took:.0f}/s)")

    try:
        e2e.wait_for(lambda: m.is_shown(s, bar), 120, interval=0.01, what="the bar shown")
        check(True, f"the burst wakes the bar (shown {time.monotonic() - started:.1f} s after its start)")
    except AssertionError:
        check(False, f"the burst wakes the bar (got Top {m.top(s, bar)})")
    # The click lands behind every message in zorvel's event stream.
    clicked = time.monotonic()
    f.click(s, *hide)
    try:
        m.wait_parked(s, bar, 120)
        lag = time.monotonic() - clicked
        check(lag < 5.0, f"a Hide click behind the burst parks it {lag:.2f} s later")
    except AssertionError:
        check(False, f"a Hide click after the burst parks the bar (got Top {m.top(s, bar)})")
    check(proc.poll() is None, "zorvel still runs")

    # The stroke count goes on from the burst's messages that arrived while the bar
    # was shown (only StartGlow and the hide check reset it): 51 messages are enough.
    woken = time.monotonic()
    m.send_hook(s, bar, 4, 51)
    try:
        m.watch_until(s, bar, lambda top, opacity: top == 0 and opacity == 1.0, 5)
        lag = time.monotonic() - woken
        check(lag < 1.0, f"51 more messages wake it again, shown {lag:.2f} s later")
    except AssertionError as error:
        check(False, f"51 more messages wake it again ({error})")
    check(f.exit_bar(s, proc, bar), "zorvel ends normally from Exit")
    f.close_display(s)

check.finish()
