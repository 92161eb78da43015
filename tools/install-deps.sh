#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need. Runs
# as root (or through sudo); does nothing when everything is there already.
#   install-deps.sh              everything (the test command)
#   install-deps.sh --build-only the native build of korvidctl (and its package)
#   install-deps.sh --program    the Windows program and Wine to run it
set -euo pipefail

build=(cmake ninja-build g++ make python3)
program=(
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64   # the Windows program
  python3-pil fonts-liberation         # drawing the skin sheets
  wine wine64                          # running the Windows program
  nsis                                 # the Windows installer (setup target)
)
tests=(
  pkg-config time
  googletest libgtest-dev              # unit tests (native, and sources for the Windows build)
  clang libclang-rt-14-dev             # AddressSanitizer/UBSan build and libFuzzer
  xvfb xdotool imagemagick             # driving the program under Wine as a user would
  dpkg-dev lintian                     # the Debian package of korvidctl: dependencies, checks
  libfuse3-dev fuse3 util-linux        # the hidraw stand-in: FUSE nodes, mount namespace, setpriv
)
case "${1:-}" in
  --build-only) packages=("${build[@]}" dpkg-dev) ;;
  --program) packages=("${build[@]}" "${program[@]}" xvfb xdotool imagemagick) ;;
  *) packages=("${build[@]}" "${program[@]}" "${tests[@]}") ;;
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
