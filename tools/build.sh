#!/usr/bin/env bash
# Builds everything: the native tests and benchmarks, the 32-bit Windows executables, and
# the 64-bit build of the same program for Wine on machines without 32-bit support.
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc)
for preset in native win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
done
# The release archive and setup program of the 32-bit product, which carry the 64-bit build's
# kelvane.exe too (so win64 is built above, before them), and the 64-bit build's own setup for
# the Wine tests where 32-bit code cannot run (the end-to-end tests check both).
cmake --build --preset win32 --target package >/dev/null
cmake --build --preset win64 --target package >/dev/null
