# Builds that check the game rather than ship it. Each is switched on by its own preset
# (CMakePresets.json): "asan", "coverage" and "fuzz". Included before any target is made,
# so the flags reach the game, the tests and the fuzzer alike.

option(QUELLMOOR_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(QUELLMOOR_COVERAGE "Build with GCC line and branch coverage (gcov)" OFF)
option(QUELLMOOR_FUZZ "Build the libFuzzer target in fuzz/ (needs clang++)" OFF)

# Every finding stops the program at once: a report can never scroll by unnoticed in a
# test that otherwise passes.
set(quellmoor_sanitizer_flags
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

if(QUELLMOOR_SANITIZE)
    add_compile_options(${quellmoor_sanitizer_flags})
    add_link_options(-fsanitize=address,undefined)
endif()

if(QUELLMOOR_COVERAGE)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        message(FATAL_ERROR "QUELLMOOR_COVERAGE needs GCC: gcovr reads gcov's notes")
    endif()
    add_compile_options(--coverage -O0)
    add_link_options(--coverage)
endif()

if(QUELLMOOR_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "QUELLMOOR_FUZZ needs clang++: libFuzzer is part of Clang")
    endif()
    # Everything is instrumented for the fuzzer's coverage feedback and sanitized; only the
    # fuzzer itself links libFuzzer's main (fuzz/CMakeLists.txt).
    add_compile_options(-fsanitize=fuzzer-no-link ${quellmoor_sanitizer_flags})
    add_link_options(-fsanitize=address,undefined)
    add_subdirectory(${PROJECT_SOURCE_DIR}/fuzz ${PROJECT_BINARY_DIR}/fuzz)
endif()
