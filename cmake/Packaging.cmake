# Installation of the command-line tool and the Debian package that `make package` builds.
# The editor installs itself (src/desktop), the demo world, its launcher, the desktop entry and the
# application icon install from demo/.

if(TARGET tirmagor-tool)
  install(TARGETS tirmagor-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/docs/tirmagor-tool.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# The browser editor, which `make web` builds into build/web/editor (and `make package` first):
# the same page as the zip for Windows and macOS.
set(TIRMAGOR_WEB_PAGE ${PROJECT_SOURCE_DIR}/build/web/editor)
install(DIRECTORY ${TIRMAGOR_WEB_PAGE}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tirmagor-editor/web OPTIONAL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tirmagor-editor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tirmagor Editor developers")
set(CPACK_PACKAGE_CONTACT "Tirmagor Editor developers <tirmagor-editor@users.noreply.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "map viewer and turn editor for the Tirmagor strategy game")
# The first line of the description is the summary above; this is the text below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tirmagor Editor shows the map of the turn-based strategy game Tirmagor with a
marker for every army, building and mine of up to 27 players, lets the game
master move, add and remove them with the mouse, and saves turn files and map
pictures. Turn files of successive years are stepped through with the year
field. The tirmagor-tool command reads, checks, rewrites and renders the
game's files from the command line. A demo world comes with the package:
start it with tirmagor-editor-demo. The same editor runs in a web browser from
/usr/share/tirmagor-editor/web/index.html.")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The window needs a platform plugin and the fonts its texts are set in. dpkg-shlibdeps (from
# dpkg-dev) adds the libraries the programs link, with their versions; without it they are named here.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-urw-base35, fonts-liberation")
find_program(TIRMAGOR_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TIRMAGOR_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  string(PREPEND CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), ")
endif()

include(CPack)
