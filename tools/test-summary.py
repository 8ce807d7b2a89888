#!/usr/bin/env python3
"""Adds up the machine-readable results of one test run and prints the total.

  test-summary.py DIR

DIR holds what the runs wrote: tree.tap (checks of the tree itself), setup.tap (the set-up's
decisions), ctest.xml (JUnit, one case per native test program),
contract-*.xml (GoogleTest's XML, one case per contract case; a case with the property
"wine_difference" passed but for assertions marked as known Wine differences, and is listed
apart, not counted) and *.tap (the end-to-end checks). A case or check that did not run (a TAP
"# SKIP" with its reason, a skipped or disabled case) is counted as skipped, never as passed,
and its reason listed. A results file that is missing or cannot be read counts as one failure.
Ends with "Total: N passed, N failed, N skipped"; exits 1 on any failure.
"""
import collections
import pathlib
import re
import sys
import xml.etree.ElementTree as ET

EXPECTED = ["tree.tap", "setup.tap", "ctest.xml", "contract-sim.xml", "contract-wine.xml", "e2e.tap"]


def junit(path):
    """(passed, failed, skip reasons, marked lines) of a JUnit or GoogleTest XML file."""
    passed, failed, skipped, marked = 0, 0, [], []
    for case in ET.parse(path).getroot().iter("testcase"):
        if case.get("status") == "notrun" or case.find("skipped") is not None:
            reason = case.find("skipped")
            skipped.append((reason.get("message") if reason is not None else None) or "not run")
            continue
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
            continue
        reasons = [p.get("value") for p in case.iter("property")
                   if p.get("name") == "wine_difference"]
        if case.get("wine_difference"):
            reasons.append(case.get("wine_difference"))
        if reasons:
            marked.append(f"{case.get('classname')}.{case.get('name')}: {reasons[0]}")
        else:
            passed += 1
    return passed, failed, skipped, marked


def tap(path):
    """(passed, failed, skip reasons, []) of a TAP stream; a plan that disagrees is one more
    failure."""
    passed, failed, skipped, planned = 0, 0, [], None
    for line in path.read_text(errors="replace").splitlines():
        skip = re.match(r"ok \d+.*?# SKIP\S*\s*(.*)$", line, re.IGNORECASE)
        if skip:
            skipped.append(skip.group(1) or "no reason given")
        elif re.match(r"ok \d+", line):
            passed += 1
        elif re.match(r"not ok \d+", line):
            failed += 1
        elif re.match(r"1\.\.\d+$", line):
            planned = int(line[3:])
    if planned != passed + failed + len(skipped):
        print(f"{path.name}: plan {planned} but {passed + failed + len(skipped)} checks ran")
        failed += 1
    return passed, failed, skipped, []


def main():
    results = pathlib.Path(sys.argv[1])
    total_passed, total_failed, total_skipped = 0, 0, 0
    for name in EXPECTED:
        path = results / name
        try:
            passed, failed, skipped, marked = (tap if name.endswith(".tap") else junit)(path)
        except (OSError, ET.ParseError) as error:
            print(f"{name}: no results ({error})")
            passed, failed, skipped, marked = 0, 1, [], []
        print(f"{name}: {passed} passed, {failed} failed, {len(skipped)} skipped, {len(marked)} marked")
        for reason, count in collections.Counter(skipped).items():
            print(f"  skipped ({count}): {reason}")
        for line in marked:
            print(f"  marked as a known Wine difference (not counted): {line}")
        total_passed += passed
        total_failed += failed
        total_skipped += len(skipped)
    print(f"Total: {total_passed} passed, {total_failed} failed, {total_skipped} skipped")
    return 1 if total_failed else 0


if __name__ == "__main__":
    sys.exit(main())
