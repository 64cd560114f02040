# Sourced by tools/wine-test and tools/win32-screenshot: a fresh 32-bit Wine
# prefix on an Xvfb display of its own, removed again on exit.
#   wine_env_start   sets WINEPREFIX, DISPLAY...; prepares the prefix
# Needs: tools/install-deps win32.

wine_env_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

for tool in wine wineserver wineboot winepath Xvfb timeout; do
  command -v "$tool" >/dev/null || { echo "$0: $tool not found (tools/install-deps win32)" >&2; exit 2; }
done

wine_env_work=$(mktemp -d "${TMPDIR:-/tmp}/korvel-wine.XXXXXX")
export WINEPREFIX="$wine_env_work/prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine_env_xvfb=""

wine_env_cleanup() {
  timeout 30 wineserver -k >/dev/null 2>&1 || true
  if [ -n "$wine_env_xvfb" ]; then
    kill "$wine_env_xvfb" 2>/dev/null || true
    wait "$wine_env_xvfb" 2>/dev/null || true
  fi
  rm -rf "$wine_env_work"
}
trap wine_env_cleanup EXIT
trap 'exit 130' INT TERM

wine_env_start() {
  # Xvfb chooses a free display and writes its number to the given descriptor.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$wine_env_work/display" \
    2>"$wine_env_work/xvfb.log" &
  wine_env_xvfb=$!
  for _ in $(seq 100); do
    [ -s "$wine_env_work/display" ] && break
    kill -0 "$wine_env_xvfb" 2>/dev/null || { cat "$wine_env_work/xvfb.log" >&2; exit 1; }
    sleep 0.1
  done
  [ -s "$wine_env_work/display" ] || { echo "$0: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(head -n1 "$wine_env_work/display")"

  local started=$SECONDS
  # One server for the whole run: starting it for every program costs seconds.
  mkdir "$WINEPREFIX"
  wineserver -p
  timeout 300 wineboot -i >"$wine_env_work/wineboot.log" 2>&1 ||
    { cat "$wine_env_work/wineboot.log" >&2; exit 1; }
  timeout 120 wine regedit /S "$(winepath -w "$wine_env_here/wine-setup.reg")"
  # Without these settings a run stalls rather than fails: make sure they took.
  timeout 60 wine reg query 'HKCU\Software\Wine\X11 Driver' /v Managed 2>/dev/null | grep -q 'Managed.*N' ||
    { echo "$0: tools/wine-setup.reg was not imported" >&2; exit 1; }
  echo "$(basename "$0"): Wine prefix ready in $((SECONDS - started)) s (display $DISPLAY)"
}
