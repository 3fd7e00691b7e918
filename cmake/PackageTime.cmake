# Read by cpack before it makes the package (cmake/Install.cmake), so that two builds of
# one commit give the same bytes, wherever and whenever they are made.
#
# Every timestamp in the package is SOURCE_DATE_EPOCH, as on Debian's builders; unless
# the caller sets it, it is the time of the commit being packaged.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    execute_process(COMMAND git log -1 --format=%ct
                    WORKING_DIRECTORY ${CPACK_QUELLMOOR_SOURCE_DIR}
                    OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE failed ERROR_QUIET)
    if(failed OR commit_time STREQUAL "")
        message(WARNING "No git history: the package carries the time it was made")
    else()
        set(ENV{SOURCE_DATE_EPOCH} ${commit_time})
    endif()
endif()

# CPack gives the package's folders, and the members of the .deb archive itself, the
# permissions the umask leaves them: under 077 the folders would be closed to everyone but
# root, under 002 open to a group. Debian's builders work under 022; so must this one.
execute_process(COMMAND sh -c umask OUTPUT_VARIABLE umask OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT umask STREQUAL "0022")
    message(FATAL_ERROR "The package needs umask 022, as Debian's builders use (this one is "
                        "${umask}): umask 022 && cmake --workflow --preset package")
endif()
