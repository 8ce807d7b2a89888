#!/usr/bin/env python3
"""Checks that every relative link in README.md and docs/*.md names a file of the tree and, with
an anchor, a heading of that file (GitHub's anchors). Prints each broken link; exit status 1 if
there is one."""
import glob
import os
import re
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")


def anchor(heading):
    return re.sub(r"[^\w\- ]", "", heading.strip().lower()).replace(" ", "-")


def anchors(path):
    with open(path, encoding="utf-8") as f:
        return {anchor(m) for m in re.findall(r"^#+ (.*)$", f.read(), re.M)}


def broken(page):
    with open(page, encoding="utf-8") as f:
        text = re.sub(r"`[^`\n]*`", "", f.read())
    for target in re.findall(r"\]\(([^)\s]+)\)", text):
        if re.match(r"[a-z]+:", target):
            continue
        file, _, tag = target.partition("#")
        path = os.path.normpath(os.path.join(os.path.dirname(page), file)) if file else page
        if not os.path.isfile(path) or (tag and path.endswith(".md") and tag not in anchors(path)):
            yield target


os.chdir(ROOT)
bad = [f"{page}: {t}" for page in ["README.md"] + sorted(glob.glob("docs/*.md")) for t in broken(page)]
for line in bad:
    print(line, file=sys.stderr)
sys.exit(1 if bad else 0)
