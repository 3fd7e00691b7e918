# Run by cpack after it has made the Windows zip (cmake/InstallWindows.cmake): rewrites it
# in one canonical form (cmake/reproducible_zip.py), dated SOURCE_DATE_EPOCH as
# cmake/PackageTime.cmake set it, so that two builds of one commit give the same bytes on
# any file system, by any user.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    message(FATAL_ERROR "The zip's time comes from cmake/PackageTime.cmake, which did not run")
endif()
find_program(PYTHON3 python3 REQUIRED)
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    execute_process(COMMAND ${PYTHON3} ${CPACK_QUELLMOOR_SOURCE_DIR}/cmake/reproducible_zip.py
                            ${package} $ENV{SOURCE_DATE_EPOCH}
                    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
