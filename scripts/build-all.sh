#!/usr/bin/env bash
# Builds every front end of the game that this machine can build, so that a change to code
# they share (a core function the page uses, the command line both programs read) is
# compiled by each of them here, not first in CI. Each is built as its preset builds it,
# tests included, in the preset's own folder, so a second run builds only what changed:
#
#   dev       the console program and every test (always)
#   web       the page, compiled to WebAssembly (where emscripten and node are)
#   windows   the Windows program, with its tests where wine can list them (where MinGW-w64 is)
#   arm64     the arm64 program and its tests (where the cross compiler, qemu-user and the
#             arm64 libraries are)
#   libc++    the console program and its tests with clang's libc++, a Mac's C++ library
#             (where libc++ is)
#
# It stops at the first build that fails; at the end it says which front ends it built and
# which it left out, and why. It builds, and runs no test: each preset's tests run with
# ctest --preset NAME, and all of CI with .ci/run.
#
# Usage: scripts/build-all.sh
set -euo pipefail
cd "$(dirname "$0")/.."

built=() left_out=()
# Builds preset PRESET, after configuring it with any further ARGUMENTS.
build() {
    local preset=$1
    shift
    echo "== $preset"
    cmake --preset "$preset" "$@" >/dev/null
    cmake --build --preset "$preset"
}
leave_out() { left_out+=("$1: $2"); }
has() { command -v "$1" >/dev/null; }

build dev
built+=(dev)

if has em++ && has node; then
    echo "== web"
    bash web/tools/build.sh
    built+=(web)
else
    leave_out web "no emscripten and node (Debian: apt-get install emscripten nodejs)"
fi

if ! has x86_64-w64-mingw32-g++-posix; then
    leave_out windows "no MinGW-w64 (Debian: apt-get install g++-mingw-w64-x86-64-posix)"
elif ! has rsvg-convert || ! has icotool; then
    leave_out windows "nothing to draw the .exe's icon with (Debian: apt-get install librsvg2-bin icoutils)"
elif has wine && [ -f /usr/src/googletest/CMakeLists.txt ]; then
    build windows
    built+=(windows)
else
    # Its tests need wine and GoogleTest's sources: the program alone, in a folder of its own.
    echo "== windows, without its tests (they need wine and googletest)"
    cmake --preset windows -B build/windows-untested -DQUELLMOOR_TESTS=OFF >/dev/null
    cmake --build build/windows-untested
    built+=("windows (no tests: no wine or googletest)")
fi

if ! has aarch64-linux-gnu-g++; then
    leave_out arm64 "no cross compiler (Debian: apt-get install g++-aarch64-linux-gnu)"
elif ! has qemu-aarch64 && ! has qemu-aarch64-static; then
    leave_out arm64 "no qemu-user to run its tests (Debian: apt-get install qemu-user)"
elif [ ! -f /usr/lib/aarch64-linux-gnu/libgtest.a ]; then
    leave_out arm64 "no arm64 libraries (docs/packaging.md says how to add them)"
else
    build arm64
    built+=(arm64)
fi

if has clang++ && [ -f /usr/src/googletest/CMakeLists.txt ] &&
    clang++ -stdlib=libc++ -x c++ -fsyntax-only - <<<'#include <string>' 2>/dev/null; then
    build ci-libcxx
    built+=(libc++)
else
    leave_out libc++ "no clang with libc++ or no googletest (Debian: apt-get install clang libc++-dev libc++abi-dev googletest)"
fi

echo
echo "Built: $(printf '%s, ' "${built[@]}" | sed 's/, $//')"
for reason in "${left_out[@]}"; do
    echo "Left out $reason"
done
