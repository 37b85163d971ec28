# install.cmake: installing the game like any other Linux game, and the Debian
# package made from that installation by CPack.
#
#   <prefix>/bin/cave                      launcher: per-player folder, then the game
#   <prefix>/libexec/cave/cave             the game program (not on the PATH)
#   <prefix>/share/cave/                   pictures and music
#   <prefix>/share/applications/cave.desktop
#   <prefix>/share/icons/hicolor/64x64/apps/cave.png
#   <prefix>/share/man/man6/cave.6.gz
#
# The game reads its data from its working folder and writes its highscore
# table there, so the launcher gives every player a folder of links of their
# own (packaging/cave.in).
include(GNUInstallDirs)

set(CAVE_GAME_DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/cave)
set(CAVE_DATA_DESTINATION ${CMAKE_INSTALL_DATADIR}/cave)
set(CAVE_PACKAGING_DIR ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${CAVE_PACKAGING_DIR})

# The launcher finds the prefix from its own place, so the way up from the
# binary folder is all it needs to know.
file(RELATIVE_PATH CAVE_BIN_TO_PREFIX /prefix/${CMAKE_INSTALL_BINDIR} /prefix)
configure_file(${CMAKE_SOURCE_DIR}/packaging/cave.in ${CAVE_PACKAGING_DIR}/cave @ONLY)

# The icon: the player's sprite, enlarged to 64x64 with its mask colour made
# transparent. Cheap enough to make afresh on every build.
add_executable(cave_make_icon packaging/icon/make_icon.cpp)
add_custom_target(cave_icon ALL
    COMMAND cave_make_icon ${CAVE_DATA_DIR}/user.bmp ${CAVE_PACKAGING_DIR}/cave.png 64
    BYPRODUCTS ${CAVE_PACKAGING_DIR}/cave.png
    COMMENT "Making the desktop icon")
add_dependencies(cave_icon gamedata)

# The manual page, compressed the Debian way (best compression, no name or
# time stamp inside).
add_custom_command(
    OUTPUT ${CAVE_PACKAGING_DIR}/cave.6.gz
    COMMAND gzip -9 -n -c ${CMAKE_SOURCE_DIR}/packaging/cave.6 > ${CAVE_PACKAGING_DIR}/cave.6.gz
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/cave.6
    COMMENT "Compressing the manual page")
add_custom_target(cave_manpage ALL DEPENDS ${CAVE_PACKAGING_DIR}/cave.6.gz)

install(TARGETS cave RUNTIME DESTINATION ${CAVE_GAME_DESTINATION})
install(DIRECTORY ${CAVE_DATA_DIR}/
        DESTINATION ${CAVE_DATA_DESTINATION}
        FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
        FILES_MATCHING PATTERN "*.bmp" PATTERN "*.wav")
install(PROGRAMS ${CAVE_PACKAGING_DIR}/cave DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/cave.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CAVE_PACKAGING_DIR}/cave.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
install(FILES ${CAVE_PACKAGING_DIR}/cave.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# The Debian package: `cpack -G DEB` in the build folder gives cave_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_PACKAGE_NAME cave)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Wizard's Cave developers")
set(CPACK_PACKAGE_CONTACT "The Wizard's Cave developers <wizards-cave@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn-based dungeon game")
# The long description, one list item per line of the package's control file.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "An evil wizard has left you in a cave of rooms full of creatures. Explore"
    "room after room, pick up things that change your strength, health and"
    "armor, eat what you find, wield sticks, frying pans, swords and a wand that"
    "shoots explosions, talk to the neutral creatures and fight the monsters."
    "Deep inside the cave a door may lead out."
    ""
    "Played full screen at 1024x768 with the keyboard alone; every player keeps"
    "a table of the fifteen best scores.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the game links come from dpkg-shlibdeps when it is there
# (Allegro 4's runtime among them); otherwise they are named by hand.
find_program(CAVE_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(CAVE_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "liballegro4.4, libc6, libgcc-s1, libstdc++6")
endif()
include(CPack)
