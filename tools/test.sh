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

echo "== the tree: formatting, one door to the system headers, script modes, documentation links"
tree_check() {  # tree_check N "description" command...: one TAP line in tree.tap
  if "${@:3}"; then
    echo "ok $1 - $2" | tee -a "$RESULTS/tree.tap"
  else
    echo "not ok $1 - $2" | tee -a "$RESULTS/tree.tap"
    status=1
  fi
}
formatted() { git ls-files '*.h' '*.cpp' | xargs clang-format --dry-run --Werror; }
# Only platform/win32/Win32Api.h includes the system headers (test tools aside: the Win32
# tools under tests/ and the floor program).
system_headers_elsewhere() {
  git grep -lE '#include <(windows|commctrl|shellapi)\.h>' -- '*.h' '*.cpp' \
    ':!platform/win32/Win32Api.h' ':!tests/wine/tools' ':!bench/floor'
}
one_door() { [ -z "$(system_headers_elsewhere)" ]; }
# A script with a "#!" line is run and has the executable bit; one without is sourced and not.
scripts_with_wrong_mode() {
  git ls-files -s '*.sh' '*.py' .ci/run | while read -r mode _ _ path; do
    want=100644
    [ "$(head -c2 "$path")" = '#!' ] && want=100755
    [ "$mode" = "$want" ] || echo "$path"
  done
}
script_modes() { [ -z "$(scripts_with_wrong_mode)" ]; }
tree_check 1 "formatting (clang-format -i the files above where it differs)" formatted
tree_check 2 "only Win32Api.h includes the system headers $(system_headers_elsewhere | paste -sd' ')" one_door
tree_check 3 "executable bits on run scripts only (git update-index --chmod) $(scripts_with_wrong_mode | paste -sd' ')" script_modes
tree_check 4 "every relative link in README.md and docs/ resolves (broken ones above)" python3 tools/check-links.py
echo "1..4" >>"$RESULTS/tree.tap"

echo "== the set-up's decisions when the package mirror fails"
bash tests/tools/setup-test.sh | tee "$RESULTS/setup.tap"
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1

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
