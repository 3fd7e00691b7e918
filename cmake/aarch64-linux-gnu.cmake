# Cross-builds for arm64 Linux on a Debian machine of another kind (the "arm64" preset), with
# Debian's cross compiler (g++-aarch64-linux-gnu), and runs what it builds under qemu-user.
#
# Libraries come from Debian's multiarch packages (dpkg --add-architecture arm64; then
# libedit-dev:arm64 for the line editor and libgtest-dev:arm64 for the tests): they land in
# /usr/lib/aarch64-linux-gnu, where CMake looks for this target's libraries, beside the
# machine's own. Headers are shared in /usr/include. No sysroot is needed.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# Programs the build runs (git, dpkg-shlibdeps, gzip) are the machine's own.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)

# Tests run the arm64 programs under qemu-user. Where the arm64 C library is installed by
# multiarch (libc6:arm64, which libedit-dev:arm64 brings), they run on it as on an arm64
# Debian: its loader, its libraries, the ones the package will depend on. Otherwise on the
# cross compiler's own copy of them.
#
# Libraries this machine preloads into its own programs (faketime's, say) are not arm64 code, and preloaded into the emulator they change what the
# arm64 program is handed (under faketime's, a closed standard input came to the game open):
# the emulator and its program start without them.
find_program(QUELLMOOR_ENV env REQUIRED)
find_program(QUELLMOOR_QEMU_AARCH64 NAMES qemu-aarch64 qemu-aarch64-static REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QUELLMOOR_ENV} -u LD_PRELOAD ${QUELLMOOR_QEMU_AARCH64})
if(NOT EXISTS /lib/ld-linux-aarch64.so.1)
    list(APPEND CMAKE_CROSSCOMPILING_EMULATOR -L /usr/aarch64-linux-gnu)
endif()
