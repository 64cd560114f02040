#!/usr/bin/env bash
# tools/install-deps against a fake apt-get, dpkg-query and dpkg: what it
# installs, when it goes on and when it fails, with a broken package index.
# Usage: install_deps_test.sh SOURCE_DIR
set -uo pipefail
script="$1/tools/install-deps"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"

# FAKE_MISSING: packages not installed; FAKE_BROKEN: those apt cannot
# install; FAKE_UPDATE_FAILS: how many updates fail. Calls go to calls.log.
cat >"$work/bin/apt-get" <<'FAKE'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE_DIR/calls.log"
if [ "$1" = update ]; then
  n=$(cat "$FAKE_DIR/updates" 2>/dev/null || echo 0); echo $((n + 1)) >"$FAKE_DIR/updates"
  if [ "$n" -lt "${FAKE_UPDATE_FAILS:-0}" ]; then
    echo "E: Failed to fetch http://x/binary-i386/Packages.xz  File has unexpected size"
    exit "${FAKE_UPDATE_STATUS:-100}"
  fi
  exit 0
fi
for p in "$@"; do
  case " $FAKE_BROKEN " in *" $p "*)
    echo " $p : Depends: libc6:i386 but it is not going to be installed"
    echo "E: Unable to correct problems, you have held broken packages."
    exit 100 ;;
  esac
done
FAKE
cat >"$work/bin/dpkg-query" <<'FAKE'
#!/usr/bin/env bash
case " $FAKE_MISSING " in *" ${!#} "*) exit 1 ;; esac
printf 'install ok installed'
FAKE
printf '#!/bin/sh\necho i386\n' >"$work/bin/dpkg"
printf '#!/bin/sh\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work/bin/"*
export PATH="$work/bin:$PATH" FAKE_DIR="$work" INSTALL_DEPS_PAUSE=0 INSTALL_DEPS_UPDATE_TRIES=3

failures=0
# run NAME EXPECTED_STATUS GROUP... : runs the script afresh, keeps its output.
run() {
  local name=$1 want=$2
  shift 2
  rm -f "$work/calls.log" "$work/updates"
  "$script" "$@" >"$work/out" 2>&1
  local got=$?
  if [ "$got" -ne "$want" ]; then
    echo "FAIL $name: exit $got, expected $want"; cat "$work/out"; failures=$((failures + 1))
  fi
}
expect() {  # expect NAME FILE PATTERN : PATTERN (grep -E) is in FILE
  grep -qE -- "$3" "$2" || { echo "FAIL $1: no '$3' in"; cat "$2"; failures=$((failures + 1)); }
}
reject() {
  ! grep -qE -- "$3" "$2" || { echo "FAIL $1: '$3' in"; cat "$2"; failures=$((failures + 1)); }
}

# Nothing missing: apt is not asked at all.
FAKE_MISSING="" run nothing-missing 0 core win32
[ ! -e "$work/calls.log" ] || { echo "FAIL nothing-missing: apt-get was called"; failures=$((failures + 1)); }

# A failed index (either exit status) is retried, then the install goes on.
for status in 100 0; do
  FAKE_MISSING="scdoc" FAKE_UPDATE_FAILS=9 FAKE_UPDATE_STATUS=$status run "index-$status" 0 core
  [ "$(grep -c 'update' "$work/calls.log")" -eq 3 ] || { echo "FAIL index-$status: not 3 updates"; failures=$((failures + 1)); }
  expect "index-$status" "$work/calls.log" 'install -y .*scdoc'
done
# An index that comes back on the second try.
FAKE_MISSING="scdoc" FAKE_UPDATE_FAILS=1 run index-back 0 core
[ "$(grep -c 'update' "$work/calls.log")" -eq 2 ] || { echo "FAIL index-back: not 2 updates"; failures=$((failures + 1)); }

# Only the Windows runtime cannot be had: the rest is installed, wine is not
# half installed, the run goes on and says the tests will not run.
FAKE_MISSING="wine wine32:i386 fonts-wine xdotool" FAKE_BROKEN="wine32:i386" FAKE_UPDATE_FAILS=9 \
  run wine-only 0 core win32
expect wine-only "$work/out" '^install-deps: could not install the Windows runtime wine32:i386 \(wine32:i386: .*apt-get update had failed: .*\).*NOT RUN'
expect wine-only "$work/calls.log" '^apt-get install -y -qq --no-install-recommends xdotool$'

# Any other package that cannot be had fails the run, named with its reason.
FAKE_MISSING="wine32:i386 libgtest-dev scdoc" FAKE_BROKEN="wine32:i386 libgtest-dev" run other 1 core win32
expect other "$work/out" '^install-deps: could not install libgtest-dev wine32:i386 \(libgtest-dev: Depends: .*; wine32:i386: .*\)$'
reject other "$work/out" 'NOT RUN'

[ "$failures" -eq 0 ] && echo "install-deps: all cases passed"
[ "$failures" -eq 0 ]
