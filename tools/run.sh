#!/usr/bin/env bash
# Builds korvidctl and shows the settings of a freshly made emulated mouse.
# Further commands can follow: tools/run.sh set cpi1=1200 ; tools/run.sh show
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh" --build-only
build=${KORVID_BUILD_DIR:-$root/build}/run
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVID_TESTS=OFF >/dev/null
cmake --build "$build" --target korvidctl >/dev/null
mouse=$root/build/emulated-mouse
if [ $# -eq 0 ]; then
  rm -rf "$mouse"
  set -- show
fi
echo "Emulated mouse: $mouse"
KORVID_EMULATOR=$mouse "$build/tools/korvidctl/korvidctl" "$@"
