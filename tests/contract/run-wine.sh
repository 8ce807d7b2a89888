#!/usr/bin/env bash
# Runs the platform contract against the real backend under Wine, in a session of its own
# (Xvfb and the tray host, as the end-to-end tests use), and leaves the prefix as it found
# it: the scratch registry key and the scratch service are removed before and after.
# Ends with the suite's line "contract (wine): N cases, ...". `--xml FILE` writes the results
# there as GoogleTest's XML; other arguments go to the suite.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/tests/wine/wine-env.sh"

remove_scratch() {
  wine_run sc delete KelvaneContract >/dev/null 2>&1
  wine_run reg delete 'HKCU\Software\KelvaneContract' /f >/dev/null 2>&1
  wine_run reg delete 'HKLM\System\CurrentControlSet\Services\KelvaneContract' /f >/dev/null 2>&1
  return 0
}

args=()
while [ $# -gt 0 ]; do
  if [ "$1" = --xml ] && [ $# -gt 1 ]; then
    # Wine's drive Z: is the root of the file system.
    args+=("--gtest_output=xml:Z:${2//\//\\}")
    shift 2
  else
    args+=("$1")
    shift
  fi
done

start_session
remove_scratch
# From the executable's folder: a bare file name is looked up there.
(cd "$BUILD" && timeout 600 "$WINE" contract_tests.exe "${args[@]}" 2>&1) | sed -u 's/\r$//'
status=${PIPESTATUS[0]}
remove_scratch
stop_session
exit "$status"
