#!/usr/bin/env python3
"""Prints the wait of each command in the real window beside the engine's
own time for the same work, and the share of the wait that is not the
engine's.
    wait_table.py ENGINE_JSON WAIT_LINES"""
import json
import sys

# The engine benchmark that does the work of each command.
ENGINE_NAMES = {
    "load": "load_bmp",
    "pattern": "pattern",
    "generate": "generate",
    "decode": "decode/keep/stereogram",
    "round_trip": "round_trip",
}

TO_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1000.0}


def engine_times(path):
    with open(path, encoding="utf-8") as f:
        report = json.load(f)
    times = {}
    for b in report.get("benchmarks", []):
        if b.get("run_type", "iteration") == "iteration":
            # Benchmarks timed by the wall clock carry "/real_time" in their names.
            times[b["name"].removesuffix("/real_time")] = b["real_time"] * TO_MS[b["time_unit"]]
    return times


def waits(path):
    rows = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            words = line.split()
            if len(words) < 3 or words[1] != "wait":
                if line.strip():
                    print(line.rstrip())
                continue
            fields = dict(w.split("=", 1) for w in words[3:] if "=" in w)
            rows.append((words[0], words[2], float(fields["held"]), float(fields["painted"]), fields["runs"]))
    return rows


def main():
    engine = engine_times(sys.argv[1])
    print(f"{'picture':<10} {'command':<22} {'held ms':>9} {'painted ms':>11} {'engine ms':>10} {'not engine':>11} {'runs':>5}")
    for size, command, held, painted, runs in waits(sys.argv[2]):
        name = ENGINE_NAMES.get(command, command) + "/" + size
        own = engine.get(name)
        if own is None:
            own_text, share = "-", "-"
        else:
            own_text = f"{own:.2f}"
            share = f"{max(0.0, held - own) / held:.0%}" if held > 0 else "-"
        print(f"{size:<10} {command:<22} {held:9.2f} {painted:11.2f} {own_text:>10} {share:>11} {runs:>5}")


if __name__ == "__main__":
    main()
