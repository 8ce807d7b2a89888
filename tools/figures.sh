#!/usr/bin/env bash
# Prints the figures table of docs/figures.md (markdown) from this machine's own runs: the sizes
# of the executables, the refresh benchmarks on the simulated machine, and CPU per refresh under
# Wine of the demo beside the floor program, hidden and visible. Builds what it needs.
# Takes about six minutes after the build; run it on an otherwise quiet machine.
#
#   bash tools/figures.sh [PERIODS]   (5 s refresh periods per Wine phase, default 24)
#   bash tools/figures.sh --sizes     (the executables' sizes and their limits only)
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
SIZES_ONLY=
[ "${1:-}" = --sizes ] && SIZES_ONLY=1 && shift
PERIODS=${1:-24}
LOG=$ROOT/build/figures
mkdir -p "$LOG"

build() {  # build PRESET [TARGET...]
  local preset=$1
  shift
  { cmake --preset "$preset" && cmake --build --preset "$preset" -j"$(nproc)" ${1:+--target "$@"}; } \
    >"$LOG/build-$preset.log" 2>&1 || { echo "building $preset failed: see $LOG/build-$preset.log" >&2; exit 1; }
}
size() { stat -c %s "$1" | sed -E ':a; s/([0-9])([0-9]{3})($|,)/\1,\2\3/; ta; s/$/ bytes/'; }
within() { awk -v v="$1" -v t="$2" 'BEGIN { print (v != "" && v + 0 <= t + 0) ? "met" : "NOT met" }'; }

# The 64-bit product as a release ships it, with PawnIO's module inside: an 18 KB stand-in of
# the module's size, in a build folder of its own.
MODULE_BUILD=$ROOT/build/win64-module
build_with_module() {
  head -c 18432 /dev/zero | tr '\0' M >"$LOG/LpcIO.bin"
  echo "A stand-in of the module's size, for the figures." >"$LOG/LICENSE"
  { cmake --preset win64 -B "$MODULE_BUILD" -DKELVANE_LPCIO_MODULE="$LOG/LpcIO.bin" \
      -DKELVANE_LPCIO_RELEASE=figures -DKELVANE_LPCIO_LICENSE="$LOG/LICENSE" &&
    cmake --build "$MODULE_BUILD" -j"$(nproc)" --target kelvane; } >"$LOG/build-win64-module.log" 2>&1 ||
    { echo "building $MODULE_BUILD failed: see $LOG/build-win64-module.log" >&2; exit 1; }
}

print_sizes() {
  echo "| \`kelvane.exe\` (32-bit, static, built for size) | $(size build/win32/kelvane.exe) |"
  echo "| \`kelvane-demo.exe\` | $(size build/win32/kelvane-demo.exe) |"
  echo "| \`kelvane.exe\` (64-bit, through PawnIO), no module inside | $(size build/win64/kelvane.exe) |"
  echo "| \`kelvane.exe\` (64-bit), an 18 KB module inside | $(size "$MODULE_BUILD/kelvane.exe") |"
}
print_size_targets() {
  local bytes bytes64
  bytes=$(stat -c %s build/win32/kelvane.exe)
  bytes64=$(stat -c %s "$MODULE_BUILD/kelvane.exe")
  echo "- \`kelvane.exe\` at most 262,144 bytes: $bytes, $(within "$bytes" 262144)"
  echo "- 64-bit \`kelvane.exe\` with an 18 KB module at most 294,912 bytes: $bytes64, $(within "$bytes64" 294912)"
}

if [ -n "$SIZES_ONLY" ]; then
  build win32 kelvane kelvane-demo
  build win64 kelvane
  build_with_module
  echo "| what | figure |"
  echo "|---|---|"
  print_sizes
  echo
  echo "Targets:"
  print_size_targets
  exit 0
fi

build win32
# The Wine benchmark runs the 64-bit build where this machine runs no 32-bit code, or with
# KELVANE_WINE64=1 (tests/wine/wine-env.sh decides): build that one too, so the figures are of
# this tree. The 64-bit product's size is a figure either way.
source "$ROOT/tests/wine/wine-env.sh"
if [ "$WINE_BITS" = 32 ]; then build win64 kelvane; else build win64; fi
build_with_module
build bench bench_monitor bench_widgets bench_tray

# Google Benchmark's mean CPU time of one benchmark over three runs.
bench() {  # bench PROGRAM NAME
  "build/bench/$1" --benchmark_filter="^$2(/|$)" --benchmark_format=csv --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true 2>/dev/null |
    awk -F, -v n="\"$2" '$1 ~ /_mean"$/ && index($1, n) == 1 {
      t = $4; s = $5; gsub(/"/, "", s)
      us = t * (s == "ns" ? 1e-3 : s == "us" ? 1 : s == "ms" ? 1e3 : 1e6)
      if (us >= 1e6) printf "%.1f s", us / 1e6
      else if (us >= 10) printf "%.0f µs", us
      else printf "%.1f µs", us }'
}
ms() { awk -v v="$1" 'BEGIN { printf "%.2f ms", v / 1000 }'; }

refresh=$(bench bench_monitor BM_Refresh)
soak=$(bench bench_monitor BM_SoakMillionRefreshes)
widgets=$(bench bench_widgets BM_PaintFourDigitsAndLamp)
tray=$(bench bench_tray BM_RenderAndPush)

bash bench/tray-cpu.sh "$PERIODS" >"$LOG/tray-cpu.txt" 2>"$LOG/tray-cpu.err" ||
  { echo "the Wine benchmark failed: see $LOG/tray-cpu.err" >&2; exit 1; }
cpu() { awk -v k="$1" '$1 == k { print $2 }' "$LOG/tray-cpu.txt"; }

cpu_model=$(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)
debian=$(cat /etc/debian_version 2>/dev/null || echo "?")
wine_version=$("$WINE" --version 2>/dev/null)
wine_build=$WINE_BITS-bit
echo "Measured on $(nproc) cores of $cpu_model, Debian $debian, $wine_version, $(date -u +%Y-%m-%d);"
echo "CPU under Wine of the $wine_build build."
echo
echo "| what | figure |"
echo "|---|---|"
print_sizes
echo "| one refresh on the simulated machine, window hidden (\`bench_monitor\`) | $refresh |"
echo "| one million refreshes on the simulated machine (58 days of virtual time) | $soak |"
echo "| painting the four digits widgets and the lamp, simulated raster (\`bench_widgets\`) | $widgets |"
echo "| one tray text rendered and pushed, simulated (\`bench_tray\`) | $tray |"
echo "| CPU per refresh under Wine, window hidden: demo / floor (\`bench/tray-cpu.sh\`, medians of about $PERIODS refreshes in each state, the ratio paired refresh by refresh) | $(ms "$(cpu demo_hidden_us)") / $(ms "$(cpu floor_hidden_us)") = $(cpu demo_hidden_to_floor_hidden)× |"
echo "| CPU per refresh under Wine, window visible: demo / floor | $(ms "$(cpu demo_visible_us)") / $(ms "$(cpu floor_visible_us)") = $(cpu demo_visible_to_floor_visible)× |"
echo "| CPU per refresh under Wine, demo visible / demo hidden | $(cpu demo_visible_to_demo_hidden)× |"

# The targets, after the table: the size limit and the two CPU ratios.
echo
echo "Targets:"
print_size_targets
echo "- hidden, demo / floor at most 1.10×: $(cpu demo_hidden_to_floor_hidden)×, $(within "$(cpu demo_hidden_to_floor_hidden)" 1.10)"
echo "- shown / hidden, demo at most 1.20×: $(cpu demo_visible_to_demo_hidden)×, $(within "$(cpu demo_visible_to_demo_hidden)" 1.20)"
