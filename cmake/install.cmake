# Installing the game the way Linux desktop games are, and packing it as a Debian package.
#
# Layout under the prefix P (fixed, so that the launcher can find everything from its own place):
#   P/bin/burrowgale                      launcher: starts the game, in the player's own folder
#   P/lib/burrowgale/burrowgale           the game itself
#   P/share/burrowgale/content/           images, sounds and music the game reads at run time
#   P/share/applications/burrowgale.desktop, P/share/icons/hicolor/NxN/apps/burrowgale.png,
#   P/share/metainfo/org.burrowgale.Burrowgale.metainfo.xml, P/share/doc/burrowgale/,
#   P/share/man/man6/burrowgale.6.gz
#
# The Debian package follows Debian's rules for games instead: the launcher goes to
# /usr/games (packaging/debian_layout.cmake moves it there in CPack's staging tree).
#
# An installed game reads the installed data folder, found from its own place, so that a
# "content/" folder wherever the player happens to be is never mistaken for the game's. The
# launcher leaves the working directory alone (paths on the command line are the player's) and
# finds the game from its own location, which keeps DESTDIR-staged trees, temporary prefixes and
# moved trees working.

set(BURROWGALE_INSTALL_BINDIR bin)
set(BURROWGALE_INSTALL_PKGLIBDIR lib/burrowgale)
set(BURROWGALE_INSTALL_PKGDATADIR share/burrowgale)
set(BURROWGALE_METAINFO_ID org.burrowgale.Burrowgale)
set(BURROWGALE_ICON_SIZES 16 24 32 48 64 128 256)

file(RELATIVE_PATH BURROWGALE_LAUNCHER_TO_EXE
     /P/${BURROWGALE_INSTALL_BINDIR} /P/${BURROWGALE_INSTALL_PKGLIBDIR}/burrowgale)
# The game finds its content from its own place, however it is started.
file(RELATIVE_PATH BURROWGALE_EXE_TO_CONTENT
     /P/${BURROWGALE_INSTALL_PKGLIBDIR} /P/${BURROWGALE_INSTALL_PKGDATADIR}/content)
target_compile_definitions(burrowgale PRIVATE
                           BURROWGALE_INSTALLED_CONTENT="${BURROWGALE_EXE_TO_CONTENT}")
configure_file(${CMAKE_SOURCE_DIR}/packaging/burrowgale.in
               ${CMAKE_BINARY_DIR}/packaging/burrowgale @ONLY)

install(TARGETS burrowgale RUNTIME DESTINATION ${BURROWGALE_INSTALL_PKGLIBDIR})
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/burrowgale
        DESTINATION ${BURROWGALE_INSTALL_BINDIR})

# Only what the game loads; the icons and the credits have their own places below.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/content/
        DESTINATION ${BURROWGALE_INSTALL_PKGDATADIR}/content
        FILES_MATCHING PATTERN "*.png" PATTERN "*.wav" PATTERN "*.ogg" PATTERN "*.replay"
        PATTERN icons EXCLUDE)

install(FILES ${CMAKE_SOURCE_DIR}/packaging/burrowgale.desktop DESTINATION share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${BURROWGALE_METAINFO_ID}.metainfo.xml
        DESTINATION share/metainfo)
foreach(size IN LISTS BURROWGALE_ICON_SIZES)
  install(FILES ${CMAKE_SOURCE_DIR}/content/icons/burrowgale-${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps
          RENAME burrowgale.png)
endforeach()
# The credits name the sources and licences of the art and sound; the font licence must travel
# with the glyph images.
install(FILES ${CMAKE_SOURCE_DIR}/content/CREDITS.md ${CMAKE_SOURCE_DIR}/content/LICENSE-Terminus-OFL.txt
              ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/packaging/copyright
        DESTINATION share/doc/burrowgale)

# The manual page and the changelog, compressed as Debian wants them (-n: no name or time in
# the archive, so that the package is the same from build to build).
set(BURROWGALE_MAN_GZ ${CMAKE_BINARY_DIR}/packaging/burrowgale.6.gz)
set(BURROWGALE_CHANGELOG_GZ ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(
  OUTPUT ${BURROWGALE_MAN_GZ}
  COMMAND sh -c "gzip -9 -n -c '${CMAKE_SOURCE_DIR}/packaging/burrowgale.6' > '${BURROWGALE_MAN_GZ}'"
  VERBATIM
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/burrowgale.6
  COMMENT "Compressing the manual page")
add_custom_command(
  OUTPUT ${BURROWGALE_CHANGELOG_GZ}
  COMMAND sh -c "gzip -9 -n -c '${CMAKE_SOURCE_DIR}/packaging/changelog' > '${BURROWGALE_CHANGELOG_GZ}'"
  VERBATIM
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog
  COMMENT "Compressing the changelog")
add_custom_target(burrowgale_docs ALL DEPENDS ${BURROWGALE_MAN_GZ} ${BURROWGALE_CHANGELOG_GZ})
install(FILES ${BURROWGALE_MAN_GZ} DESTINATION share/man/man6)
install(FILES ${BURROWGALE_CHANGELOG_GZ} DESTINATION share/doc/burrowgale)

# Debian package: `cpack -G DEB` in the build directory.
set(BURROWGALE_MAINTAINER "Burrowgale developers <maintainers@burrowgale.org>"
    CACHE STRING "Maintainer field of the Debian package (Name <address>)")
# Build folders made before the address was added keep a bare name, which Debian refuses.
if(NOT BURROWGALE_MAINTAINER MATCHES "<[^>]+@[^>]+>")
  set(BURROWGALE_MAINTAINER "Burrowgale developers <maintainers@burrowgale.org>"
      CACHE STRING "Maintainer field of the Debian package (Name <address>)" FORCE)
endif()
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME burrowgale)
set(CPACK_PACKAGE_VENDOR "Burrowgale developers")
set(CPACK_PACKAGE_CONTACT "${BURROWGALE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "arcade game of a hungry worm digging through hexagonal earth")
# Line breaks as Debian wants them: CPack indents each line of the extended description.
set(CPACK_PACKAGE_DESCRIPTION
    "You are a worm in an endless cross-section of hexagonal earth: sky above,
soft and hard soil, rock and old caves below. Dig down, eat what you find to
keep your length up, and stay out of the way of the centipedes. Played with
the keyboard or a game controller.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps turns the libraries the binary links into Debian package names.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/packaging/debian_layout.cmake)
include(CPack)
