# install.cmake: installing the game like any other Linux game.
#
# Two layouts share these rules. The default one suits an installation of
# one's own, `cmake --install build --prefix ~/.local`:
#
#   <prefix>/bin/cave                      launcher: the player's folder, then the game
#   <prefix>/libexec/cave/cave             the game program (not on the PATH)
#   <prefix>/share/cave/                   pictures and samples
#
# With CAVE_GAMES_LAYOUT=ON (as debian/rules builds it) the same three go
# where Debian keeps its games:
#
#   <prefix>/games/cave, <prefix>/lib/games/cave/cave, <prefix>/share/games/cave/
#
# Both add the desktop entry, the icons of 16 to 256 pixels, the AppStream
# metainfo, the manual page, and the README and licence (share/doc/cave)
# under <prefix>/share. The game reads its data
# from the folder given with --data and keeps its highscore table in its
# working folder, which the launcher makes for each player (packaging/cave.in).
include(GNUInstallDirs)

option(CAVE_GAMES_LAYOUT "Install into games/, lib/games/cave/ and share/games/cave/" OFF)
if(CAVE_GAMES_LAYOUT)
    set(CAVE_BIN_DESTINATION games)
    set(CAVE_GAME_DESTINATION lib/games/cave)
    set(CAVE_DATA_DESTINATION share/games/cave)
else()
    set(CAVE_BIN_DESTINATION ${CMAKE_INSTALL_BINDIR})
    set(CAVE_GAME_DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/cave)
    set(CAVE_DATA_DESTINATION ${CMAKE_INSTALL_DATADIR}/cave)
endif()
set(CAVE_METAINFO_ID org.example.wizardscave)
set(CAVE_PACKAGING_DIR ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${CAVE_PACKAGING_DIR})

# The launcher finds the prefix from its own place, so the way up from its
# folder is all it needs to know.
file(RELATIVE_PATH CAVE_BIN_TO_PREFIX /prefix/${CAVE_BIN_DESTINATION} /prefix)
configure_file(${CMAKE_SOURCE_DIR}/packaging/cave.in ${CAVE_PACKAGING_DIR}/cave @ONLY)

# The icons: the player's sprite scaled without smoothing to every size a
# desktop asks for, its mask colour made transparent. Cheap enough to make
# afresh on every build.
set(CAVE_ICON_SIZES 16 32 48 64 128 256)
add_executable(cave_make_icon packaging/icon/make_icon.cpp)
set(icon_commands)
foreach(size ${CAVE_ICON_SIZES})
    list(APPEND icon_commands COMMAND cave_make_icon ${CAVE_DATA_DIR}/user.bmp
         ${CAVE_PACKAGING_DIR}/cave-${size}.png ${size})
    install(FILES ${CAVE_PACKAGING_DIR}/cave-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME cave.png)
endforeach()
add_custom_target(cave_icon ALL ${icon_commands} COMMENT "Making the desktop icons")
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
install(PROGRAMS ${CAVE_PACKAGING_DIR}/cave DESTINATION ${CAVE_BIN_DESTINATION})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/cave.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${CAVE_METAINFO_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CAVE_PACKAGING_DIR}/cave.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
