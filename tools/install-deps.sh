#!/usr/bin/env bash
# Installs the Debian packages that building and testing need. Runs as root
# (or through sudo); does nothing when everything is there already.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config python3 time
  googletest libgtest-dev              # unit tests (native, and sources for the Windows build)
  clang libclang-rt-14-dev             # AddressSanitizer/UBSan build and libFuzzer
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64   # the Windows program
  wine wine64                          # running the Windows program and its tests
)
case "${1:-}" in
  --build-only) packages=(cmake ninja-build g++ make python3) ;;
esac

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
