#!/usr/bin/env bash
# Builds everything and runs every test:
#   1. native build (g++): unit tests and the korvidctl end-to-end tests
#   2. AddressSanitizer + UBSan build (clang): the same tests, then each fuzz
#      target for a bounded time
#   3. Windows build (mingw-w64): the unit tests, korvidctl.exe and the
#      program itself under Wine, in a virtual display (Xvfb)
# Installs its Debian packages first. Build folders go to $KORVID_BUILD_DIR
# (default: build/ in the repository); builds and tests run $KORVID_JOBS at
# a time (default: the number of processors).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/wine-env.sh"
"$root/tools/install-deps.sh" || exit 1

build=${KORVID_BUILD_DIR:-$root/build}
jobs=${KORVID_JOBS:-$(nproc)}
case $jobs in
  '' | *[!0-9]* | 0) echo "KORVID_JOBS must be a whole number from 1 up, not '$jobs'" >&2; exit 2 ;;
esac
export KORVID_JOBS=$jobs
failed=()
passed=()

step() {
  local name=$1
  shift
  local start=$SECONDS
  echo "=== $name"
  if "$@"; then passed+=("$name"); else failed+=("$name"); echo "=== $name FAILED"; fi
  echo "=== $name took $((SECONDS - start)) s"
}

configure_build_test() {
  local dir=$1
  shift
  rm -f "$dir/ctest.log"
  cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null &&
    cmake --build "$dir" -j "$jobs" &&
    ctest --test-dir "$dir" -j "$jobs" --output-on-failure | tee "$dir/ctest.log"
}

# Adds the counts of a CTest summary ("... N tests failed out of M") to the totals.
count_tests() {
  local line
  line=$(grep -E 'tests failed out of [0-9]+' "$1/ctest.log" 2>/dev/null | tail -n 1)
  [ -n "$line" ] || return 0
  local failures total
  failures=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
  tests_failed=$((tests_failed + failures))
  tests_passed=$((tests_passed + total - failures))
}

native() { configure_build_test "$build/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVID_TESTS=ON; }

sanitized() {
  CC=clang CXX=clang++ configure_build_test "$build/sanitize" -DCMAKE_BUILD_TYPE=Debug \
    -DKORVID_SANITIZE=ON -DKORVID_FUZZ=ON
}

fuzz() { "$root/tools/fuzz.sh" --build "$build/sanitize" --seconds "${KORVID_FUZZ_SECONDS:-10}"; }

windows() {
  prepare_wine_prefix "$build/wineprefix"
  start_xvfb || return 1
  # A persistent server, and Wine's services started here rather than inside
  # a test, where they would hold CTest's output pipe open after the test.
  wineserver -p
  wine cmd.exe /c exit >/dev/null 2>&1 </dev/null
  configure_build_test "$build/windows" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
  local result=$?
  wineserver -k 2>/dev/null
  kill "$XVFB_PID" 2>/dev/null
  return $result
}

step native native
step sanitized sanitized
step fuzz fuzz
step windows windows

tests_passed=0
tests_failed=0
for dir in native sanitize windows; do count_tests "$build/$dir"; done

echo
echo "Steps passed: ${passed[*]:-none}; steps failed: ${failed[*]:-none}"
echo "Tests: $tests_passed passed, $tests_failed failed"
[ ${#failed[@]} -eq 0 ]
