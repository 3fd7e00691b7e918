# What `cmake --install` puts where, and the Debian package built from it by CPack.
#
# The layout is Debian's, under any prefix: the game in games/ (/usr/games in the package,
# /usr/local/games for `cmake --install build/release --prefix /usr/local`), its manual page
# in section 6, gzipped, and its documents in share/doc/quellmoor/ with a machine-readable
# copyright file and a gzipped changelog. The documents that name paths or need compressing
# are made as they are installed (cmake/InstallDocs.cmake), for the prefix actually used; so
# are the menu entry, the icons and the software centre's metainfo (cmake/InstallDesktop.cmake).
include(GNUInstallDirs)

set(quellmoor_gamesdir games)  # where the menu entry finds the game, too
install(TARGETS quellmoor RUNTIME DESTINATION ${quellmoor_gamesdir})
# A stripped install (the package's) also drops the compilers' notes, as Debian's own
# packages do.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${quellmoor_gamesdir}/quellmoor\"
                        COMMAND_ERROR_IS_FATAL ANY)
    endif()")

install(FILES ${PROJECT_SOURCE_DIR}/docs/playing.md ${PROJECT_SOURCE_DIR}/docs/web.png
              ${PROJECT_SOURCE_DIR}/docs/web-phone.png ${PROJECT_SOURCE_DIR}/CONTRIBUTING.md
              ${PROJECT_SOURCE_DIR}/docs/packaging.md ${PROJECT_SOURCE_DIR}/docs/web.md
              ${PROJECT_SOURCE_DIR}/docs/windows.md ${PROJECT_SOURCE_DIR}/docs/hosting.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(CODE "
    set(QUELLMOOR_SOURCE_DIR \"${PROJECT_SOURCE_DIR}\")
    set(QUELLMOOR_STAGE \"${PROJECT_BINARY_DIR}/installed-docs\")
    set(QUELLMOOR_DOCDIR \"${CMAKE_INSTALL_DOCDIR}\")
    set(QUELLMOOR_MANDIR \"${CMAKE_INSTALL_MANDIR}\")
    set(QUELLMOOR_DESKTOP_STAGE \"${PROJECT_BINARY_DIR}/installed-desktop\")
    set(QUELLMOOR_DATADIR \"${CMAKE_INSTALL_DATADIR}\")
    set(QUELLMOOR_GAMESDIR ${quellmoor_gamesdir})
    set(QUELLMOOR_SUMMARY \"${PROJECT_DESCRIPTION}\")")
install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/InstallDocs.cmake)
install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/InstallDesktop.cmake)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quellmoor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quellmoor developers")
set(CPACK_PACKAGE_CONTACT "The Quellmoor developers <quellmoor@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "text adventure with role-playing combat")
# Each line is a line of the package's description: Debian wants them under 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "Quellmoor is a single-player text adventure played in a console window.
Walk four regions, fight the opponents who wait there, earn gold, buy
weapons, armour, spells and potions, and win by killing the demon in the
Labyrinth's dungeon.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A cross build (the "arm64" preset) packages for the machine it built for, as Debian names
# it (cmake/DebianBuild.cmake); cmake/PackageTime.cmake hands the name on to dpkg-shlibdeps,
# which then reads that machine's libraries.
if(CMAKE_CROSSCOMPILING)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${quellmoor_deb_host_arch})
    set(CPACK_QUELLMOOR_DEB_HOST_ARCH ${quellmoor_deb_host_arch})
endif()
# Reproducible: the package's timestamps are the commit's, or the changelog's in a source
# tarball (cmake/PackageTime.cmake).
set(CPACK_QUELLMOOR_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/PackageTime.cmake)
include(CPack)
