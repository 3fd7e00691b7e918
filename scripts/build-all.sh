#!/usr/bin/env bash
# Builds every front end of the game that this machine can build, and the fuzzer and the
# benchmark, so that a change to code they share (a core function the page or the fuzzer
# calls, the command line both programs read) is compiled by each of them here, not first
# in CI. Each is built as its preset or script builds it, tests included, in its own
# folder, so a second run builds only what changed:
#
#   dev        the console program and every test (always), in build/dev/
#   web        the page, compiled to WebAssembly (where emscripten and node are), in build-web/
#   windows    the Windows program, with its tests where wine can list them (where MinGW-w64
#              is), in build/windows/ (build/windows-untested/ without its tests)
#   arm64      the arm64 program and its tests (where the cross compiler, qemu-user and the
#              arm64 libraries are), in build/arm64/
#   libc++     the console program and its tests with clang's libc++, a Mac's C++ library
#              (where libc++ is), in build/ci-libcxx/
#   fuzzer     the fuzzers (games, keys), as fuzz/run.sh builds them (where clang has
#              libFuzzer), in build/fuzz/
#   benchmark  the in-process benchmark, as bench/run.sh builds it (where Google Benchmark
#              is), in build/bench/
#
# A build that fails does not stop the others: at the end it says which it built, which
# failed and which it left out, and why, and fails if any build did. It builds, and runs no
# test: each preset's tests run with ctest --preset NAME, and all of CI with .ci/run.
#
# Usage: scripts/build-all.sh
set -euo pipefail
cd "$(dirname "$0")/.."

built=() failed=() left_out=()
# Runs the build NAME with the command that follows, and notes whether it built.
attempt() {
    local name=$1
    shift
    echo "== $name"
    if "$@"; then
        built+=("$name")
    else
        failed+=("$name")
    fi
}
# Configures preset PRESET with any further ARGUMENTS, then builds it.
preset() {
    local preset=$1
    shift
    cmake --preset "$preset" "$@" >/dev/null && cmake --build --preset "$preset"
}
leave_out() { left_out+=("$1: $2"); }
has() { command -v "$1" >/dev/null; }
# Whether clang++ links the program on standard input with FLAGS.
clang_links() {
    local work status=0
    work=$(mktemp -d)
    clang++ -x c++ - -o "$work/program" "$@" 2>/dev/null || status=$?
    rm -rf "$work"
    return $status
}

attempt dev preset dev

if has em++ && has node; then
    attempt web bash web/tools/build.sh
else
    leave_out web "no emscripten and node (Debian: apt-get install emscripten nodejs)"
fi

if ! has x86_64-w64-mingw32-g++-posix; then
    leave_out windows "no MinGW-w64 (Debian: apt-get install g++-mingw-w64-x86-64-posix)"
elif ! has rsvg-convert || ! has icotool; then
    leave_out windows "nothing to draw the .exe's icon with (Debian: apt-get install librsvg2-bin icoutils)"
elif has wine && [ -f /usr/src/googletest/CMakeLists.txt ]; then
    attempt windows preset windows
else
    # Its tests need wine and GoogleTest's sources: the program alone, in a folder of its own.
    untested() {
        cmake --preset windows -B build/windows-untested -DQUELLMOOR_TESTS=OFF >/dev/null &&
            cmake --build build/windows-untested
    }
    attempt "windows (no tests: no wine or googletest)" untested
fi

if ! has aarch64-linux-gnu-g++; then
    leave_out arm64 "no cross compiler (Debian: apt-get install g++-aarch64-linux-gnu)"
elif ! has qemu-aarch64 && ! has qemu-aarch64-static; then
    leave_out arm64 "no qemu-user to run its tests (Debian: apt-get install qemu-user)"
elif [ ! -f /usr/lib/aarch64-linux-gnu/libgtest.a ]; then
    leave_out arm64 "no arm64 libraries (docs/packaging.md says how to add them)"
else
    attempt arm64 preset arm64
fi

if has clang++ && [ -f /usr/src/googletest/CMakeLists.txt ] &&
    clang_links -stdlib=libc++ <<<'#include <string>
int main() { return 0; }'; then
    attempt libc++ preset ci-libcxx
else
    leave_out libc++ "no clang with libc++ or no googletest (Debian: apt-get install clang libc++-dev libc++abi-dev googletest)"
fi

if has clang++ && clang_links -fsanitize=fuzzer,address,undefined \
    <<<'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }'; then
    attempt fuzzer preset fuzz
else
    leave_out fuzzer "no clang with libFuzzer (Debian: apt-get install clang and its libclang-rt-N-dev)"
fi

if compgen -G '/usr/lib/*/cmake/benchmark' >/dev/null || [ -d /usr/lib/cmake/benchmark ]; then
    bench() {
        cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUELLMOOR_BENCHMARK=ON \
            -DQUELLMOOR_TESTS=OFF >/dev/null && cmake --build build/bench
    }
    attempt benchmark bench
else
    leave_out benchmark "no Google Benchmark (Debian: apt-get install libbenchmark-dev)"
fi

echo
list() { printf '%s, ' "$@" | sed 's/, $//'; }
[ ${#built[@]} -eq 0 ] || echo "Built: $(list "${built[@]}")"
for reason in "${left_out[@]}"; do
    echo "Left out $reason"
done
if [ ${#failed[@]} -ne 0 ]; then
    echo "FAILED: $(list "${failed[@]}")"
    exit 1
fi
