#!/usr/bin/env bash
# The set-up's decisions when the package mirror misbehaves, without the network: apt-get and
# dpkg are replaced on the PATH by stand-ins that record each call and answer as a scenario
# says. Reports in TAP.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
n=0
failed=0
check() {  # check "description" command...
  n=$((n + 1))
  if "${@:2}"; then echo "ok $n - $1"; else echo "not ok $n - $1"; failed=1; fi
}

mkdir -p "$WORK/bin"
# dpkg: nothing is installed, i386 is not yet a foreign architecture.
cat >"$WORK/bin/dpkg" <<'STUB'
#!/usr/bin/env bash
echo "dpkg $*" >>"$CALLS"
case "$1" in -s) exit 1 ;; --print-foreign-architectures) exit 0 ;; *) exit 0 ;; esac
STUB
# apt-get: SCENARIO says which calls fail.
#   index-fails: update fails; the plain install then works
#   pinned:      the plain install fails, the pinned one works
#   no-wine32:   every install naming wine32:i386 fails
#   broken:      every install fails
cat >"$WORK/bin/apt-get" <<'STUB'
#!/usr/bin/env bash
echo "apt-get $*" >>"$CALLS"
case "$1" in
  update) [ "$SCENARIO" = index-fails ] && exit 100 ; exit 0 ;;
  install)
    case "$SCENARIO" in
      pinned) [[ " $* " == *" -t "* ]] || exit 100 ;;
      no-wine32) [[ " $* " == *" wine32:i386 "* ]] && exit 100 ;;
      broken) exit 100 ;;
    esac
    exit 0 ;;
esac
exit 0
STUB
chmod +x "$WORK/bin/"*

run_setup() {  # run_setup SCENARIO: the exit code in $rc, the calls in $WORK/SCENARIO.calls
  export SCENARIO=$1 CALLS=$WORK/$1.calls
  : >"$CALLS"
  PATH="$WORK/bin:$PATH" bash "$ROOT/tools/setup.sh" >"$WORK/$1.out" 2>&1
  rc=$?
}
calls() { cat "$WORK/$SCENARIO.calls"; }
said() { grep -q "$1" "$WORK/$SCENARIO.out"; }
installs() { grep -c '^apt-get install' "$WORK/$SCENARIO.calls"; }

run_setup index-fails
check "a failed index download: a warning, and the install goes on" \
  eval '[ $rc -eq 0 ] && said "indexes failed" && [ "$(installs)" -eq 1 ]'

run_setup pinned
check "an install refused as it is is tried again pinned to the release, and succeeds" \
  eval '[ $rc -eq 0 ] && [ "$(installs)" -eq 2 ] && calls | tail -1 | grep -q -- "-t bookworm .*wine32:i386"'

run_setup no-wine32
check "no installable 32-bit Wine: the rest is installed without it, and the 64-bit Wine tests are announced" \
  eval '[ $rc -eq 0 ] && calls | tail -1 | grep -q "wine64" && ! calls | tail -1 | grep -q "wine32:i386" &&
    said "run the 64-bit build"'

run_setup broken
check "nothing installable: the set-up fails" eval '[ $rc -ne 0 ] && said "cannot be installed"'

echo "1..$n"
exit $failed
