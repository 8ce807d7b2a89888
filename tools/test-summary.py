#!/usr/bin/env python3
"""Adds up the machine-readable results of one test run and prints the total.

  test-summary.py DIR

DIR holds what the runs wrote: tree.tap (checks of the tree itself), setup.tap (the set-up's
decisions), ctest.xml (JUnit, one case per native test program),
contract-*.xml (GoogleTest's XML, one case per contract case; a case with the property
"wine_difference" passed but for assertions marked as known Wine differences, and is listed
apart, not counted) and *.tap (the end-to-end checks). A results file that is missing or cannot
be read counts as one failure. Ends with "Total: N passed, N failed"; exits 1 on any failure.
"""
import pathlib
import re
import sys
import xml.etree.ElementTree as ET

EXPECTED = ["tree.tap", "setup.tap", "ctest.xml", "contract-sim.xml", "contract-wine.xml", "e2e.tap"]


def junit(path):
    """(passed, failed, marked lines) of a JUnit or GoogleTest XML file."""
    passed, failed, marked = 0, 0, []
    for case in ET.parse(path).getroot().iter("testcase"):
        if case.get("status") == "notrun" or case.find("skipped") is not None:
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
    return passed, failed, marked


def tap(path):
    """(passed, failed, []) of a TAP stream; a plan that disagrees is one more failure."""
    passed, failed, planned = 0, 0, None
    for line in path.read_text(errors="replace").splitlines():
        if re.match(r"ok \d+", line):
            passed += 1
        elif re.match(r"not ok \d+", line):
            failed += 1
        elif re.match(r"1\.\.\d+$", line):
            planned = int(line[3:])
    if planned != passed + failed:
        print(f"{path.name}: plan {planned} but {passed + failed} checks ran")
        failed += 1
    return passed, failed, []


def main():
    results = pathlib.Path(sys.argv[1])
    total_passed, total_failed = 0, 0
    for name in EXPECTED:
        path = results / name
        try:
            passed, failed, marked = (tap if name.endswith(".tap") else junit)(path)
        except (OSError, ET.ParseError) as error:
            print(f"{name}: no results ({error})")
            passed, failed, marked = 0, 1, []
        print(f"{name}: {passed} passed, {failed} failed, {len(marked)} marked")
        for line in marked:
            print(f"  marked as a known Wine difference (not counted): {line}")
        total_passed += passed
        total_failed += failed
    print(f"Total: {total_passed} passed, {total_failed} failed")
    return 1 if total_failed else 0


if __name__ == "__main__":
    sys.exit(main())
