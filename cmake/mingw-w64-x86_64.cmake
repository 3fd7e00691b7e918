# Cross-builds the game for 64-bit Windows with Debian's MinGW-w64
# (apt-get install g++-mingw-w64-x86-64-posix), and runs what it builds under wine
# (apt-get install wine wine64): the tests, and GoogleTest's listing of them.
#
# The posix-threads flavour of the compiler, since the win32 one lacks std::thread; the
# program links its runtime (libgcc, libstdc++, winpthread) statically, so the .exe needs
# no DLL beside it (src/windows/CMakeLists.txt).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_triplet}-gcc-posix)  # GoogleTest's project asks for C too
set(CMAKE_CXX_COMPILER ${mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triplet}-windres)

# Every program links MinGW's runtime statically, the tests as well as the game: wine then
# needs no MinGW DLL on its path either.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Headers and libraries come from the MinGW tree only; programs (wine, the host's tools)
# from the machine that builds.
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Wine keeps its Windows (the "prefix", some 700 MB, made on first use in about 6 s) in
# the build folder, not in the user's ~/.wine: a build never touches the user's own, and
# removing the build folder removes it. WINEDEBUG=-all keeps wine's diagnostics off
# standard error, where the tests read the game's own messages; the overrides stop wine
# from offering to download .NET and a web browser engine when it makes the prefix.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(QUELLMOOR_WINE wine)
    if(QUELLMOOR_WINE)
        set(CMAKE_CROSSCOMPILING_EMULATOR
            env WINEPREFIX=${CMAKE_BINARY_DIR}/wine WINEDEBUG=-all
            "WINEDLLOVERRIDES=mscoree,mshtml=" ${QUELLMOOR_WINE})
    endif()
endif()
