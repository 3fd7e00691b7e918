# GoogleTest built from its sources with the game's own compiler and C++ library, where
# Debian's (libgtest-dev, built for this machine against libstdc++) cannot be linked: in the
# Windows build, and in a build with another C++ library (the "ci-libcxx" preset: clang's
# libc++, the one a Mac's compiler uses). Debian ships the sources: apt-get install googletest.
option(QUELLMOOR_GOOGLETEST_FROM_SOURCE "Build GoogleTest from its sources with the game's compiler" OFF)
if(NOT QUELLMOOR_GOOGLETEST_FROM_SOURCE AND NOT WIN32)
    return()
endif()
set(QUELLMOOR_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources")
if(NOT EXISTS ${QUELLMOOR_GOOGLETEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "The tests of this build need GoogleTest's sources in "
                        "${QUELLMOOR_GOOGLETEST_SOURCE}: on Debian, apt-get install googletest")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${QUELLMOOR_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
