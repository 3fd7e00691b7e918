# Read by cpack before it makes a package (cmake/Install.cmake), so that two builds of one
# commit give the same bytes, wherever and whenever they are made: from a git clone or from
# a source tarball, today or days later.
#
# Every timestamp in the package is SOURCE_DATE_EPOCH, as on Debian's builders. A caller's
# setting wins; otherwise it is the time of the commit being packaged when the source
# folder is itself the top of a git repository (a clone, or a worktree), and else the date
# of the newest entry of docs/changelog, as Debian's tools take it (dpkg-parsechangelog's
# Date): a source tarball carries no history, and one unpacked inside some other
# repository must not take that repository's dates. The clock is never used; nor can the
# compiler stamp it, since __DATE__ and __TIME__ are refused (CMakeLists.txt).

# The seconds since 1970 of an RFC 2822 date, as a changelog's trailer line writes it:
# "Mon, 07 Dec 2026 12:00:00 +0000".
function(rfc2822_to_epoch date out)
    string(REGEX REPLACE "^[A-Z][a-z][a-z], " "" date "${date}")  # the day of the week
    if(NOT date MATCHES "^([0-9]?[0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ([0-9][0-9]):([0-9][0-9]):([0-9][0-9]) ([+-])([0-9][0-9])([0-9][0-9])$")
        message(FATAL_ERROR "docs/changelog: not a date as Debian writes it: '${date}'")
    endif()
    set(day ${CMAKE_MATCH_1})
    set(year ${CMAKE_MATCH_3})
    math(EXPR time_of_day "${CMAKE_MATCH_4} * 3600 + ${CMAKE_MATCH_5} * 60 + ${CMAKE_MATCH_6}")
    math(EXPR offset "${CMAKE_MATCH_7}(${CMAKE_MATCH_8} * 3600 + ${CMAKE_MATCH_9} * 60)")
    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    list(FIND months ${CMAKE_MATCH_2} month)
    if(month LESS 0)
        message(FATAL_ERROR "docs/changelog: no such month in '${date}'")
    endif()
    # Days since 1970-01-01 in the Gregorian calendar, counting years from 1 March so that
    # the leap day ends a year.
    if(month LESS 2)
        math(EXPR year "${year} - 1")
    endif()
    math(EXPR day_of_year "(153 * ((${month} + 10) % 12) + 2) / 5 + ${day} - 1")
    math(EXPR days "${year} * 365 + ${year} / 4 - ${year} / 100 + ${year} / 400 + ${day_of_year} - 719468")
    # The local time there, less the zone's offset from UTC.
    math(EXPR seconds "${days} * 86400 + ${time_of_day} - (${offset})")
    set(${out} ${seconds} PARENT_SCOPE)
endfunction()

# The time of the newest changelog entry: its trailer line, " -- NAME <EMAIL>  DATE", is
# the first such line of the file, since entries are written newest first.
function(changelog_time source out)
    file(STRINGS ${source}/docs/changelog trailers REGEX "^ -- .*>  ")
    if(NOT trailers)
        message(FATAL_ERROR "docs/changelog has no entry with a date")
    endif()
    list(GET trailers 0 newest)
    string(REGEX REPLACE "^ -- .*>  " "" date "${newest}")
    rfc2822_to_epoch("${date}" seconds)
    set(${out} ${seconds} PARENT_SCOPE)
endfunction()

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
        changelog_time(${CPACK_QUELLMOOR_SOURCE_DIR} time)
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
