#!/usr/bin/env python3
"""Reads the counters a coverage build's test run left, writes the HTML report
and prints one line per top folder of the sources (lines and branches)."""

import json
import subprocess
import sys
from collections import defaultdict
from pathlib import Path

FOLDERS = ["src/scorelens", "src/platform", "src/host", "src/services", "src/cli"]

root = Path(__file__).resolve().parents[1]
build = Path(sys.argv[1] if len(sys.argv) > 1 else root / "build/coverage").resolve()
report = build / "report"
report.mkdir(exist_ok=True)
summary = report / "summary.json"
# Branches the compiler adds are not decisions of the source, so they are
# left out of the branch figures: those for exceptions, for code it proved
# unreachable, the guard of a function-local static (another thread racing the
# first call), and the clean-up at a closing brace (a lambda's captures).
COMPILER_BRANCHES = r"^\s*(static\s.*=.*|\}\)?;?)\s*$"
# gcovr 5.2 hangs when a worker meets gcov output it cannot parse (counts
# from racing threads could go negative before the counters were atomic), so
# it gets a time limit rather than the last word.
try:
    subprocess.run(["gcovr", "--root", str(root), "--object-directory", str(build), "--filter", str(root / "src") + "/",
                    "--exclude-directories", r".*/CMakeFiles/\d.*", "--exclude-throw-branches",
                    "--exclude-unreachable-branches", "--exclude-branches-by-pattern", COMPILER_BRANCHES, "-j", "2",
                    "--html-details", str(report / "index.html"), "--json-summary", str(summary)],
                   check=True, stdout=subprocess.DEVNULL, timeout=600)
except subprocess.TimeoutExpired:
    sys.exit("coverage-report: gcovr gave no report within 10 minutes; run it with -j 1 to see why")

totals = defaultdict(lambda: [0, 0, 0, 0])
for f in json.loads(summary.read_text())["files"]:
    for folder in FOLDERS:
        if f["filename"].startswith(folder + "/"):
            t = totals[folder]
            t[0] += f["line_covered"]
            t[1] += f["line_total"]
            t[2] += f["branch_covered"]
            t[3] += f["branch_total"]


def percent(a, b):
    return f"{100 * a / b:5.1f}%" if b else "    -"


for folder in FOLDERS:
    lc, lt, bc, bt = totals[folder]
    print(f"{folder:15} lines {percent(lc, lt)} ({lc}/{lt})  branches {percent(bc, bt)} ({bc}/{bt})")
print(f"report: {report / 'index.html'}")
