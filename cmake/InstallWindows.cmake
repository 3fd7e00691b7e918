# What the Windows build installs, and the zip CPack makes of it (`cpack --preset windows`,
# or the "windows" workflow): one folder to unpack anywhere and run quellmoor.exe from,
#
#   quellmoor-VERSION-windows-x86_64/
#       quellmoor.exe       the game: no installer, no DLL beside it
#       README.md           CONTRIBUTING.md   LICENSE.txt
#       docs/               the player's guide, the README's two screenshots and the
#                           documents it links (packaging, Windows, the browser version)
#
# laid out as in the source tree, so the README's links work as they are. The texts keep
# their line feeds, as the game's own output does.
#
# Reproducible like the Debian package: two builds of one commit give the same bytes,
# whenever, wherever and by whomever they are made. Every entry is dated SOURCE_DATE_EPOCH
# (the commit's time, cmake/PackageTime.cmake, which also insists on umask 022 for fixed
# permissions), and the zip is rewritten in name order, with no owner recorded
# (cmake/ReproducibleZip.cmake).
install(TARGETS quellmoor RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/CONTRIBUTING.md DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES ${PROJECT_SOURCE_DIR}/docs/playing.md ${PROJECT_SOURCE_DIR}/docs/web.png
              ${PROJECT_SOURCE_DIR}/docs/web-phone.png ${PROJECT_SOURCE_DIR}/docs/packaging.md
              ${PROJECT_SOURCE_DIR}/docs/web.md ${PROJECT_SOURCE_DIR}/docs/windows.md
              ${PROJECT_SOURCE_DIR}/docs/hosting.md
        DESTINATION docs)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME quellmoor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quellmoor developers")
set(CPACK_SYSTEM_NAME windows-x86_64)
set(CPACK_STRIP_FILES OFF)  # linked stripped already (src/windows/CMakeLists.txt)
set(CPACK_QUELLMOOR_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/PackageTime.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/ReproducibleZip.cmake)
include(CPack)
