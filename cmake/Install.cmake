# What `cmake --install` puts where, and the Debian package built from it by CPack.
include(GNUInstallDirs)

install(TARGETS quellmoor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/quellmoor.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
              ${PROJECT_SOURCE_DIR}/docs/playing.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quellmoor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quellmoor developers")
set(CPACK_PACKAGE_CONTACT "The Quellmoor developers <quellmoor@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "text adventure with role-playing combat")
set(CPACK_PACKAGE_DESCRIPTION
    "Quellmoor is a single-player text adventure played in a console window. Walk four
regions, fight the opponents who wait there, earn gold, buy weapons, armour, spells
and potions, and win by killing the demon in the Labyrinth's dungeon.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
