#!/usr/bin/env bash
# Builds the Windows program and starts it under Wine on a freshly made
# emulated mouse (build/emulated-mouse). Without a display (no $DISPLAY) it
# runs in a virtual one and saves a screenshot of the window instead.
#   tools/run.sh            the program (emulated build)
#   tools/run.sh ctl ARGS   korvidctl on the same emulated mouse, e.g.
#                           tools/run.sh ctl set cpi1=1200 ; tools/run.sh ctl show
# Unplug and plug the mouse while the program runs:
#   touch build/emulated-mouse/unplugged ; rm build/emulated-mouse/unplugged
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/wine-env.sh"
build=${KORVID_BUILD_DIR:-$root/build}
mouse=$build/emulated-mouse

if [ "${1:-}" = ctl ]; then
  shift
  "$root/tools/install-deps.sh" --build-only
  cmake -S "$root" -B "$build/run" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVID_TESTS=OFF >/dev/null
  cmake --build "$build/run" --target korvidctl >/dev/null
  KORVID_EMULATOR=$mouse exec "$build/run/korvidctl/korvidctl" "$@"
fi

"$root/tools/install-deps.sh" --program
cmake -S "$root" -B "$build/run-windows" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVID_TESTS=OFF >/dev/null
cmake --build "$build/run-windows" --target KorvidConfig-emulated KorvidConfig >/dev/null
program=$build/run-windows/program/KorvidConfig-emulated.exe
rm -rf "$mouse"
mkdir -p "$mouse"
echo "Emulated mouse: $mouse"
echo "Program: $program (KorvidConfig.exe beside it is the build for a real mouse on Windows)"

headless=
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  prepare_wine_prefix "$build/wineprefix-run"
  start_xvfb
  trap 'wineserver -k 2>/dev/null; kill "$XVFB_PID" 2>/dev/null' EXIT
else
  prepare_wine_prefix "$build/wineprefix-run" managed
fi

if [ -z "$headless" ]; then
  echo "Close the window to hide it; end the program with: WINEPREFIX=$WINEPREFIX wineserver -k"
  KORVID_EMULATOR=$mouse exec wine "$program"
fi

KORVID_EMULATOR=$mouse wine "$program" &
shot=$build/run-screenshot.png
for _ in $(seq 100); do
  window=$(xdotool search --name '^Korvid Configuration Software$' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "${window:-}" ]; then
  echo "The program did not open its window" >&2
  exit 1
fi
sleep 1
import -window "$window" "$shot"
echo "No display: the program ran in a virtual one. Its window: $shot"
