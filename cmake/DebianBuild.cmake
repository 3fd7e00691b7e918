# What Debian's own tools say of this build, for the package (cmake/Install.cmake) and the
# program it ships: the machine it is for, and the hardening Debian builds its packages with.
# Included before any target is made, so the flags reach the game and its tests alike.

# A cross build (the "arm64" preset) is for the machine it builds for, named as Debian
# names it (arm64 for aarch64-linux-gnu): its flags and its package's dependencies are
# that machine's.
if(CMAKE_CROSSCOMPILING)
    execute_process(COMMAND dpkg-architecture -t ${CMAKE_LIBRARY_ARCHITECTURE} -q DEB_HOST_ARCH
                    OUTPUT_VARIABLE quellmoor_deb_host_arch OUTPUT_STRIP_TRAILING_WHITESPACE
                    ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
    set(quellmoor_deb_host DEB_HOST_ARCH=${quellmoor_deb_host_arch})
endif()

# Debian's hardening, as dpkg-buildflags gives it with every feature on: fortified C library
# calls, the stack protector, relocations read-only once made and all made at the start
# (relro and bindnow). Optimised builds only, since fortifying needs the optimiser; never the
# sanitizer, coverage or fuzzing builds, which instrument the code their own way, nor macOS,
# whose linker takes none of these flags. The build keeps its own optimisation, debugging
# information and path mapping. AUTO hardens where dpkg-buildflags is found (Debian:
# dpkg-dev); ON insists, as CI does; OFF leaves it out.
set(QUELLMOOR_HARDENING AUTO CACHE STRING
    "Debian's hardening flags (dpkg-buildflags) in optimised builds: AUTO, ON or OFF")
set_property(CACHE QUELLMOOR_HARDENING PROPERTY STRINGS AUTO ON OFF)
if(QUELLMOOR_HARDENING STREQUAL "OFF" OR QUELLMOOR_SANITIZE OR QUELLMOOR_COVERAGE OR QUELLMOOR_FUZZ
   OR APPLE OR NOT CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
    return()
endif()
find_program(QUELLMOOR_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT QUELLMOOR_DPKG_BUILDFLAGS)
    if(QUELLMOOR_HARDENING STREQUAL "ON")
        message(FATAL_ERROR "Hardening needs dpkg-buildflags: on Debian, apt-get install dpkg-dev")
    endif()
    message(STATUS "dpkg-buildflags not found (Debian: dpkg-dev): the program is not hardened")
    return()
endif()

function(quellmoor_debian_flags kind out)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env ${quellmoor_deb_host}
                            DEB_BUILD_MAINT_OPTIONS=hardening=+all
                            ${QUELLMOOR_DPKG_BUILDFLAGS} --get ${kind}
                    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^-(O|g|f[a-z]+-prefix-map=)")
    set(${out} ${flags} PARENT_SCOPE)
endfunction()
quellmoor_debian_flags(CPPFLAGS preprocessor)
quellmoor_debian_flags(CXXFLAGS compiler)
quellmoor_debian_flags(LDFLAGS linker)
add_compile_options(${preprocessor} ${compiler})
add_link_options(${linker})
string(REPLACE ";" " " shown "${preprocessor};${compiler};${linker}")
message(STATUS "Hardened as Debian builds its packages: ${shown}")
