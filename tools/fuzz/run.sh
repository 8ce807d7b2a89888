#!/bin/sh
# Builds the restore fuzzer with clang's libFuzzer, ASan and UBSan, and runs it for a while.
set -e
cd "$(dirname "$0")/../.."
out=build/fuzz
mkdir -p "$out/corpus"
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I. \
  tools/fuzz/RestoreFuzzer.cpp storage/*.cpp framework/*.cpp platform/sim/*.cpp \
  -o "$out/restore_fuzzer"
"$out/restore_fuzzer" -max_total_time="${1:-60}" -max_len=256 "$out/corpus"
