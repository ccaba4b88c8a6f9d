#!/usr/bin/python3
"""The end-to-end driver of the native program: runs one scenario of a
scenario script against the program, which it starts and drives over the
accessibility bus as a screen reader does, and prints one line:

    PASS name | FAIL name: line N (step): reason | SKIP name: reason

    driver.py SCRIPT PROGRAM SCENARIO

Exit code 0 when the scenario passed, 1 when it failed, 77 when it uses a
step that has no meaning for the native program (or none on Wayland, where
there is no X display); the steps before that one still run and may fail
the scenario. 2 for a bad call. The steps are those of the Win32 driver
(see steps.py). It needs a display (DISPLAY; or WAYLAND_DISPLAY, with
E2E_QT_PLATFORM=wayland), a session bus with the accessibility bus, and the program's
tables in the files that TAVRELIC_MENU_TABLE and
TAVRELIC_DIALOG_FIELDS name (tavrelic_expected menu-table and
dialog-fields write them): the scenarios call commands, menus and
Preferences controls by the program's own names, and the tables give the
texts by which the driver finds them on the bus."""

import os
import sys

from script import ScriptError, expand_words, read_script
from steps import Session, StepFailed, Tables, not_applying, perform_step

SKIPPED = 77


def scenario_lines(lines, name):
    """The lines of the scenario NAME, up to the next scenario; None when the
    script has no such scenario."""
    start = next((i for i, (_, words) in enumerate(lines) if words[:2] == ["scenario", name]), None)
    if start is None:
        return None
    end = next((i for i in range(start + 1, len(lines)) if lines[i][1][0] == "scenario"), len(lines))
    return lines[start + 1:end]


def first_not_applying(lines, platform):
    """The index of the scenario's first step that does not apply to the
    native program on the platform, and why; (None, None) when all do."""
    skipped = not_applying(platform)
    for index, (number, words) in enumerate(lines):
        if words[0] in skipped:
            return index, "line %d (%s) and what follows do not apply to the native program on %s: %s" % (
                number, words[0], platform, skipped[words[0]])
    return None, None


def run_scenario(lines, session):
    """Performs the steps in order; the first that fails ends the scenario.
    Returns the failure, or None."""
    for number, words in lines:
        try:
            perform_step(session, expand_words(words))
        except (StepFailed, ScriptError) as failure:
            return "line %d (%s): %s" % (number, words[0], failure)
    return None


def main(arguments):
    if len(arguments) != 4:
        print("usage: driver.py SCRIPT PROGRAM SCENARIO")
        return 2
    script, program, name = arguments[1:]
    try:
        lines = scenario_lines(read_script(script), name)
        tables = Tables(os.environ["TAVRELIC_MENU_TABLE"], os.environ["TAVRELIC_DIALOG_FIELDS"])
    except (OSError, KeyError, ValueError, ScriptError) as error:
        print("FAIL %s: cannot read the script or the program's tables: %s" % (name, error))
        return 2
    if lines is None:
        print("FAIL %s: %s has no such scenario" % (name, script))
        return 2
    session = Session(program, tables)
    # The steps before the first that does not apply still run: a failure
    # among them fails the scenario.
    stop, skip = first_not_applying(lines, session.program.platform)
    try:
        failure = run_scenario(lines[:stop], session)
    finally:
        session.end()
    if failure:
        print("FAIL %s: %s" % (name, failure))
        return 1
    if skip:
        print("SKIP %s: %s%s" % (name, "%d step(s) before it passed; " % stop if stop else "", skip))
        return SKIPPED
    print("PASS " + name)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
