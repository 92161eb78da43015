#!/usr/bin/env bash
# Runs every fuzz target of a sanitizer build for a bounded time.
#   tools/fuzz.sh [--build DIR] [--seconds N]
# DIR defaults to build/sanitize (configured with clang, -DKORVID_SANITIZE=ON
# -DKORVID_FUZZ=ON; built here when missing, $KORVID_JOBS compilers at a time,
# default the number of processors). Corpora are kept under DIR/fuzz-corpus
# so that later runs go on from where earlier ones stopped.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$root/build/sanitize
seconds=30
while [ $# -gt 0 ]; do
  case $1 in
    --build) dir=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    *) echo "usage: tools/fuzz.sh [--build DIR] [--seconds N]" >&2; exit 2 ;;
  esac
done
if [ ! -f "$dir/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DKORVID_SANITIZE=ON -DKORVID_FUZZ=ON >/dev/null || exit 1
fi
jobs=${KORVID_JOBS:-$(nproc)}
case $jobs in
  '' | *[!0-9]* | 0) echo "KORVID_JOBS must be a whole number from 1 up, not '$jobs'" >&2; exit 2 ;;
esac
cmake --build "$dir" -j "$jobs" || exit 1

status=0
for target in "$dir"/tests/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=$dir/fuzz-corpus/$name
  mkdir -p "$corpus"
  seeds=$root/tests/fuzz/seeds/$name
  log=$dir/fuzz-corpus/$name.log
  args=("$corpus")
  [ -d "$seeds" ] && args+=("$seeds")
  if "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$dir/fuzz-corpus/$name-" "${args[@]}" >"$log" 2>&1; then
    echo "fuzz $name: ok ($(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs in ${seconds}s)"
  else
    echo "fuzz $name: FAILED, see $log"
    tail -n 30 "$log"
    status=1
  fi
done
exit $status
