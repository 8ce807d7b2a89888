#!/usr/bin/env bash
# Runs every test: formatting, the native suites (unit, component and whole-program on the
# simulated platform), and the end-to-end tests of the real executables under Wine.
set -u
cd "$(dirname "$0")/.."
bash tools/setup.sh || exit 1
bash tools/build.sh || exit 1

status=0
echo "== formatting"
if git ls-files '*.h' '*.cpp' | xargs clang-format --dry-run --Werror; then
  echo "formatting ok"
else
  echo "formatting differs (clang-format -i the files above)"
  status=1
fi

echo "== native tests"
ctest --preset native 2>&1 | tee build/ctest.log
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1
native_passed=$(grep -oE '[0-9]+ tests failed out of [0-9]+' build/ctest.log | awk '{print $6 - $1}')
native_failed=$(grep -oE '[0-9]+ tests failed out of [0-9]+' build/ctest.log | awk '{print $1}')

# One suite of platform cases, on the simulated machine and on the real system under Wine.
echo "== platform contract"
build/native/test_contract --gtest_brief=1 >build/contract-sim.log 2>&1 || status=1
bash tests/contract/run-wine.sh --gtest_brief=1 >build/contract-wine.log 2>&1 || status=1
grep -h -A50 '^contract (' build/contract-sim.log build/contract-wine.log
# "contract (SIDE): N cases, N passed, N marked as known Wine differences, N failed"
contract_field() { awk -v n="$2" '/^contract \(/ { print $n; exit }' "$1"; }
contract_passed=0
contract_failed=0
for log in build/contract-sim.log build/contract-wine.log; do
  if [ -n "$(contract_field "$log" 5)" ]; then
    contract_passed=$((contract_passed + $(contract_field "$log" 5)))
    contract_failed=$((contract_failed + $(contract_field "$log" 13)))
  else
    echo "no contract summary in $log"
    contract_failed=$((contract_failed + 1))
  fi
done
contract_marked=$(contract_field build/contract-wine.log 7)

echo "== end-to-end tests under Wine"
bash tests/wine/e2e.sh 2>&1 | tee build/e2e.log
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1
e2e_passed=$(tail -n 1 build/e2e.log | awk '/passed/ {print $1}')
e2e_failed=$(tail -n 1 build/e2e.log | awk '/failed/ {print $3}')

passed=$(( ${native_passed:-0} + ${e2e_passed:-0} + contract_passed ))
failed=$(( ${native_failed:-1} + ${e2e_failed:-1} + contract_failed ))
[ "$status" -ne 0 ] && [ "$failed" -eq 0 ] && failed=1
echo "Contract cases marked as known Wine differences (not counted below): ${contract_marked:-0}"
echo "Total: $passed passed, $failed failed"
exit $status
