#!/usr/bin/python3
"""The end-to-end driver of the native program: runs one scenario of a
scenario script against the program, which it starts and drives over the
accessibility bus as a screen reader does, and prints one line:

    PASS name | FAIL name: line N (step): reason | SKIP name: reason

    driver.py SCRIPT PROGRAM SCENARIO

Exit code 0 when the scenario passed, 1 when it failed, 77 when it uses a
step that has no meaning for the native program, 2 for a bad call. The
steps are those of the Win32 driver (see steps.py). It needs a display
(DISPLAY), a session bus with the accessibility bus, and the program's
tables in the files that TAVRELIC_MENU_TABLE and
TAVRELIC_PREFERENCES_FIELDS name (tavrelic_expected menu-table and
preferences-fields write them)."""

import os
import sys

from script import ScriptError, expand_words, read_script
from steps import NOT_APPLYING, Session, StepFailed, Tables, perform_step

SKIPPED = 77


def scenario_lines(lines, name):
    """The lines of the scenario NAME, up to the next scenario; None when the
    script has no such scenario."""
    start = next((i for i, (_, words) in enumerate(lines) if words[:2] == ["scenario", name]), None)
    if start is None:
        return None
    end = next((i for i in range(start + 1, len(lines)) if lines[i][1][0] == "scenario"), len(lines))
    return lines[start + 1:end]


def reason_to_skip(lines):
    for number, words in lines:
        if words[0] in NOT_APPLYING:
            return "line %d (%s) does not apply to the native program: %s" % (number, words[0], NOT_APPLYING[words[0]])
    return None


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
        tables = Tables(os.environ["TAVRELIC_MENU_TABLE"], os.environ["TAVRELIC_PREFERENCES_FIELDS"])
    except (OSError, KeyError, ValueError, ScriptError) as error:
        print("FAIL %s: cannot read the script or the program's tables: %s" % (name, error))
        return 2
    if lines is None:
        print("FAIL %s: %s has no such scenario" % (name, script))
        return 2
    skip = reason_to_skip(lines)
    if skip:
        print("SKIP %s: %s" % (name, skip))
        return SKIPPED
    session = Session(program, tables)
    try:
        failure = run_scenario(lines, session)
    finally:
        session.end()
    print("FAIL %s: %s" % (name, failure) if failure else "PASS " + name)
    return 1 if failure else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
