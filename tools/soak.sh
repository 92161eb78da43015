#!/usr/bin/env bash
# usage: tools/soak.sh [--long]
# The program's soak under Wine, on the emulated mouse: with the window shown
# and then hidden, unplug/replug cycles and applies with random injected
# faults (an unplug in the middle of some); afterwards the program must still
# answer, block.bin must have held one whole block all along, the profile
# folder one readable profile, and the process's handles, GDI objects and
# memory must not have grown beyond a small bound (the figures are printed).
# Without --long it is the short soak the test command runs (gui.Soak);
# --long makes it 100 cycles and 200 applies (about sixteen minutes).
# KORVID_SOAK_SEED picks another random sequence. Needs the Windows build
# (tools/test.sh makes it; $KORVID_BUILD_DIR as there).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KORVID_BUILD_DIR:-$root/build}/windows
case "${1:-}" in
  '' | --long) ;;
  *) echo "usage: tools/soak.sh [--long]" >&2; exit 2 ;;
esac
# The command CTest runs for the short soak, with the same programs and prefix.
line=$(ctest --test-dir "$build" -N -V -R '^gui\.Soak$' 2>/dev/null | sed -n 's/^[0-9]*: Test command: //p')
if [ -z "$line" ]; then
  echo "gui.Soak is not registered in $build: build the Windows side first (tools/test.sh)" >&2
  exit 2
fi
eval "command=($line)"
# The harness reads the control IDs the build wrote (CTest sets this for its tests).
export KORVID_CONTROL_IDS=${KORVID_CONTROL_IDS:-$build/tests/gui/control_ids.json}
exec "${command[@]}" "$@"
