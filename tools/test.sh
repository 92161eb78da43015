#!/usr/bin/env bash
# Builds everything and runs every test:
#   1. native build (g++): unit tests and the korvidctl end-to-end tests
#   2. AddressSanitizer + UBSan build (clang): the same tests, then each fuzz
#      target for a bounded time
#   3. Windows build (mingw-w64): the unit tests and korvidctl.exe under Wine
# Installs its Debian packages first. Build folders go to $KORVID_BUILD_DIR
# (default: build/ in the repository).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh" || exit 1

build=${KORVID_BUILD_DIR:-$root/build}
jobs=$(nproc)
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
  cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null &&
    cmake --build "$dir" -j "$jobs" &&
    ctest --test-dir "$dir" -j "$jobs" --output-on-failure
}

native() { configure_build_test "$build/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVID_TESTS=ON; }

sanitized() {
  CC=clang CXX=clang++ configure_build_test "$build/sanitize" -DCMAKE_BUILD_TYPE=Debug \
    -DKORVID_SANITIZE=ON -DKORVID_FUZZ=ON
}

fuzz() { "$root/tools/fuzz.sh" --build "$build/sanitize" --seconds "${KORVID_FUZZ_SECONDS:-10}"; }

windows() {
  export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEARCH=win64
  unset DISPLAY
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Preparing the Wine prefix (once) ..."
    wineboot -i >/dev/null 2>&1
  fi
  wineserver -w
  # A persistent server, and Wine's services started here rather than inside
  # a test, where they would hold CTest's output pipe open after the test.
  wineserver -p
  wine cmd.exe /c exit >/dev/null 2>&1 </dev/null
  configure_build_test "$build/windows" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
  local result=$?
  wineserver -k 2>/dev/null
  return $result
}

step native native
step sanitized sanitized
step fuzz fuzz
step windows windows

echo
echo "Test steps: ${#passed[@]} passed (${passed[*]:-none}), ${#failed[@]} failed (${failed[*]:-none})"
[ ${#failed[@]} -eq 0 ]
