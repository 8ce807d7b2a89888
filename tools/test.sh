#!/usr/bin/env bash
# Runs every test: formatting, the native suites (unit, component and whole-program on the
# simulated platform), and the end-to-end tests of the real executables under Wine. Each writes
# its results in a machine-readable form to build/results; one summariser adds them up.
set -u
cd "$(dirname "$0")/.."
bash tools/setup.sh || exit 1
bash tools/build.sh || exit 1

status=0
RESULTS=$PWD/build/results
rm -rf "$RESULTS"
mkdir -p "$RESULTS"

echo "== formatting"
if git ls-files '*.h' '*.cpp' | xargs clang-format --dry-run --Werror; then
  printf 'ok 1 - formatting\n1..1\n' >"$RESULTS/formatting.tap"
else
  echo "formatting differs (clang-format -i the files above)"
  printf 'not ok 1 - formatting\n1..1\n' >"$RESULTS/formatting.tap"
  status=1
fi

echo "== script modes"
# A script with a "#!" line is run and has the executable bit; one without is sourced and not.
modes=$(git ls-files -s '*.sh' '*.py' .ci/run | while read -r mode _ _ path; do
  want=100644
  [ "$(head -c2 "$path")" = '#!' ] && want=100755
  [ "$mode" = "$want" ] || echo "$path is $mode, wants $want (git update-index --chmod)"
done)
if [ -z "$modes" ]; then
  printf 'ok 1 - script modes\n1..1\n' >"$RESULTS/script-modes.tap"
else
  echo "$modes"
  printf 'not ok 1 - script modes\n1..1\n' >"$RESULTS/script-modes.tap"
  status=1
fi

echo "== native tests"
ctest --preset native --output-junit "$RESULTS/ctest.xml" || status=1

# One suite of platform cases, on the simulated machine and on the real system under Wine.
echo "== platform contract"
build/native/test_contract --gtest_brief=1 --gtest_output="xml:$RESULTS/contract-sim.xml" \
  >build/contract-sim.log 2>&1 || status=1
bash tests/contract/run-wine.sh --gtest_brief=1 --xml "$RESULTS/contract-wine.xml" \
  >build/contract-wine.log 2>&1 || status=1
grep -h -A50 '^contract (' build/contract-sim.log build/contract-wine.log

echo "== end-to-end tests under Wine"
bash tests/wine/e2e.sh 2>&1 | tee "$RESULTS/e2e.tap"
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1

echo "== summary"
python3 tools/test-summary.py "$RESULTS" || status=1
exit $status
