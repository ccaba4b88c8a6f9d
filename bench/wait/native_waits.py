#!/usr/bin/python3
"""native_waits: how long each command holds the Linux program's window,
measured from outside as a screen reader drives it, over the accessibility
bus (with the end-to-end driver's modules, tests/e2e/atspi). It starts
tavrelic, loads a depth map through the file dialog and runs every command
several times, each time measuring
  held:    from the press of the menu item (for the load, from the Enter
           that confirms the file dialog's name) until the program answers
           the bus again, which it does only from its event loop;
  painted: until it has answered once more. A paint the command asked for
           waits in the event queue at a lower priority than a question on
           the bus, so the first answer may come before it; a second
           question, put only once the first is answered, reaches the
           program when the paint has begun, and its answer waits for it.
It prints one line per command with the medians, in milliseconds:
  wait COMMAND held=MS painted=MS runs=N

  native_waits.py PROGRAM DEPTH_MAP RUNS

It runs in the session of tests/e2e/atspi/session.sh (DISPLAY, the session
bus and the accessibility bus), with the program's tables in the files that
TAVRELIC_MENU_TABLE and TAVRELIC_PREFERENCES_FIELDS name."""

import os
import statistics
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e", "atspi"))

import steps  # noqa: E402
from program import Atspi, NoAnswer, call, press  # noqa: E402

# A command may take this long, no longer.
COMMAND_LIMIT_SECONDS = 120

# In an order in which each finds what it works on: the name printed and
# the program's own name for the command, as its menu table gives it.
COMMANDS = [
    ("pattern", "generate-pattern"),
    ("generate", "generate-stereogram"),
    ("decode", "decode-stereogram"),
    ("round_trip", "round-trip"),
    ("view/stereogram_dots", "show-stereogram-with-dots"),
    ("view/stereogram_plain", "show-stereogram-plain"),
    ("view/depth_quantised", "show-depth-quantised"),
    ("view/depth_original", "show-depth-original"),
    ("view/pattern_strip", "show-pattern-strip"),
    ("view/pattern_tiled", "show-pattern-tiled"),
]
# The batch is long; it is timed a third as often.
FEWER_RUNS = {"round_trip"}


class WaitError(Exception):
    pass


def now_ms():
    return time.monotonic() * 1000


def wait_until_idle(session):
    """Once the program answers after everything sent before; a modal box
    that answers in its place is an error."""
    steps.wait_for_idle(session)
    if session.program.ended():
        raise WaitError(session.program.end_note())


def measure(session, start):
    """(held, painted) in milliseconds since start, for a press sent then."""
    wait_until_idle(session)
    held = now_ms()
    wait_until_idle(session)
    painted = now_ms()
    if session.program.windows(session.wait_ms):
        raise WaitError("a box is open" + session.program.describe_windows(session.wait_ms))
    return held - start, painted - start


def run_command(session, command):
    item = steps.menu_item_of(session, command)
    start = now_ms()
    press(item)
    return measure(session, start)


def focus_file_name(session, dialog):
    ms = session.wait_ms
    field = steps.file_name_field(dialog, ms)
    if not steps.wait_until(session.wait_seconds, lambda t: call(t, field.grab_focus) and
                            call(t, field.get_state_set).contains(steps.State.FOCUSED)):
        raise WaitError("the file dialog's name field does not take the focus")


def load_depth_map(session, path):
    """From the Enter that confirms the name typed into the file dialog. (A
    press of its button over the bus would be a click played out on the
    screen, which lets the button show as pressed for a while first.) The
    dialog's own loop answers the bus until it has closed."""
    press(steps.menu_item_of(session, "load-depth-map"))
    dialog, _ = steps.fill_file_dialog(session, path)
    focus_file_name(session, dialog)
    start = now_ms()
    call(session.wait_ms, Atspi.generate_keyboard_event, steps.KEYS["enter"], None,
         Atspi.KeySynthType.PRESSRELEASE | Atspi.KeySynthType.SYM)
    steps.wait_until_closed(session, dialog, "file dialog")
    return measure(session, start)


def report(name, runs, measure_once):
    waits = [measure_once() for _ in range(runs)]
    held = statistics.median(w[0] for w in waits)
    painted = statistics.median(w[1] for w in waits)
    print("wait %s held=%.2f painted=%.2f runs=%d" % (name, held, painted, runs), flush=True)


def run_all(session, depth_map, runs):
    steps.step_start(session, [])
    report("load", runs, lambda: load_depth_map(session, depth_map))
    for name, command in COMMANDS:
        times = max(1, runs // 3) if name in FEWER_RUNS else runs
        report(name, times, lambda: run_command(session, command))


def main(arguments):
    if len(arguments) != 4:
        print("usage: native_waits.py PROGRAM DEPTH_MAP RUNS")
        return 2
    program, depth_map, runs = arguments[1], os.path.abspath(arguments[2]), max(1, int(arguments[3]))
    tables = steps.Tables(os.environ["TAVRELIC_MENU_TABLE"], os.environ["TAVRELIC_PREFERENCES_FIELDS"])
    session = steps.Session(program, tables)
    session.wait_seconds = COMMAND_LIMIT_SECONDS
    # The heap as a user's program has it: a freed picture stays in it for
    # the next, rather than being given back and faulted in again.
    session.program.heap_settings = {}
    try:
        run_all(session, depth_map, runs)
    except (steps.StepFailed, WaitError, NoAnswer) as error:
        print("wait-error %s" % error, flush=True)
        return 1
    finally:
        session.end()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
