# Read by cpack before it makes a package (cmake/Install.cmake), so that two builds of one
# commit give the same bytes, wherever and whenever they are made: from a git clone or from
# a source tarball, today or days later.
#
# Every timestamp in the package is SOURCE_DATE_EPOCH, as on Debian's builders. A caller's
# setting wins; otherwise it is the time of the commit being packaged when the source
# folder is itself the top of a git repository (a clone, or a worktree), and else the time
# of the newest entry of docs/changelog, as Debian's own dpkg-parsechangelog reads it: a
# source tarball carries no history, and one unpacked inside some other repository must not
# take that repository's dates. The clock is never used; nor can the compiler stamp it,
# since __DATE__ and __TIME__ are refused (CMakeLists.txt).

# The commit time, when SOURCE is the top of its own git repository; else empty.
function(commit_time source out)
    set(${out} "" PARENT_SCOPE)
    execute_process(COMMAND git rev-parse --show-toplevel WORKING_DIRECTORY ${source}
                    OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE failed ERROR_QUIET)
    if(failed OR top STREQUAL "")
        return()
    endif()
    file(REAL_PATH "${top}" top)
    file(REAL_PATH "${source}" source)
    if(NOT top STREQUAL source)
        return()  # a tarball unpacked inside some other repository
    endif()
    execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${source}
                    OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE failed ERROR_QUIET)
    if(NOT failed AND time MATCHES "^[0-9]+$")
        set(${out} ${time} PARENT_SCOPE)
    endif()
endfunction()

if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    commit_time(${CPACK_QUELLMOOR_SOURCE_DIR} time)
    if(time STREQUAL "")
        find_program(QUELLMOOR_PARSECHANGELOG dpkg-parsechangelog)
        if(NOT QUELLMOOR_PARSECHANGELOG)
            message(FATAL_ERROR "A package made outside a git clone takes its time from "
                                "docs/changelog, read by dpkg-parsechangelog: on Debian, "
                                "apt-get install dpkg-dev")
        endif()
        execute_process(COMMAND ${QUELLMOOR_PARSECHANGELOG} -l docs/changelog -S Timestamp
                        WORKING_DIRECTORY ${CPACK_QUELLMOOR_SOURCE_DIR}
                        OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE
                        COMMAND_ERROR_IS_FATAL ANY)
    endif()
    set(ENV{SOURCE_DATE_EPOCH} ${time})
endif()

# A cross build's package is for the machine it was built for: dpkg-shlibdeps computes its
# dependencies from that machine's libraries (installed by multiarch) and their shlibs.
if(DEFINED CPACK_QUELLMOOR_DEB_HOST_ARCH)
    set(ENV{DEB_HOST_ARCH} ${CPACK_QUELLMOOR_DEB_HOST_ARCH})
endif()

# CPack gives the package's folders, and the members of the .deb archive itself, the
# permissions the umask leaves them: under 077 the folders would be closed to everyone but
# root, under 002 open to a group. Debian's builders work under 022; so must this one.
execute_process(COMMAND sh -c umask OUTPUT_VARIABLE umask OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT umask STREQUAL "0022")
    message(FATAL_ERROR "The package needs umask 022, as Debian's builders use (this one is "
                        "${umask}): umask 022 && cmake --workflow --preset package")
endif()
