# Included by tests/CMakeLists.txt in the Windows build (the "windows" preset): what its
# tests need to run on this machine, under wine (cmake/mingw-w64-x86_64.cmake).
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    message(FATAL_ERROR "The Windows tests run under wine: on Debian, apt-get install wine wine64")
endif()

# GoogleTest for Windows is built from its sources (cmake/GoogleTestFromSource.cmake).

# Wine's Windows for these tests, in the build folder: made once, before GoogleTest first
# runs the unit test program to list its tests, so that no two tests race to make it.
set(wine_prefix_made ${CMAKE_BINARY_DIR}/wine/system.reg)
add_custom_command(OUTPUT ${wine_prefix_made}
                   COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} wineboot --init
                   COMMENT "Making wine's Windows for the tests (once)" VERBATIM)
add_custom_target(wine_prefix ALL DEPENDS ${wine_prefix_made})

# Scripts any POSIX test can run: under-wine runs a Windows program as CTest runs it, and
# quellmoor-under-wine is the game, to run wherever the tests elsewhere run the game.
set(under_wine ${CMAKE_BINARY_DIR}/under-wine)
set(run_game ${CMAKE_BINARY_DIR}/quellmoor-under-wine)
set(script "#!/bin/sh\nexec")
foreach(word IN LISTS CMAKE_CROSSCOMPILING_EMULATOR)
    string(APPEND script " '${word}'")
endforeach()
file(GENERATE OUTPUT ${under_wine} CONTENT "${script} \"$@\"\n"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                      WORLD_READ WORLD_EXECUTE)
file(GENERATE OUTPUT ${run_game}
     CONTENT "#!/bin/sh\nexec '${under_wine}' '$<TARGET_FILE:quellmoor>' \"$@\"\n"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                      WORLD_READ WORLD_EXECUTE)

# The golden runner is a POSIX program: it is built for this machine, with its compiler and
# the game's warnings, and runs the game through that script.
find_program(QUELLMOOR_HOST_CXX NAMES c++ g++ REQUIRED)
set(golden_runner ${CMAKE_CURRENT_BINARY_DIR}/golden_runner)
add_custom_command(OUTPUT ${golden_runner}
                   COMMAND ${QUELLMOOR_HOST_CXX} -std=c++20 -O2
                           "$<TARGET_PROPERTY:quellmoor_warnings,INTERFACE_COMPILE_OPTIONS>"
                           -o ${golden_runner} ${CMAKE_CURRENT_SOURCE_DIR}/support/golden_runner.cpp
                   DEPENDS support/golden_runner.cpp
                   COMMENT "Building the golden runner for this machine"
                   COMMAND_EXPAND_LISTS VERBATIM)
add_custom_target(host_golden_runner ALL DEPENDS ${golden_runner})
