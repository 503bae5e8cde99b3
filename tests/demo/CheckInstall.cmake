# Installs the build into a scratch prefix and checks the installed tree; then runs the demo
# launcher with a stand-in editor and a scratch home, and checks that the editor starts in a
# writable copy of the demo world.
#   cmake -DBUILD_DIR=... -DSCRATCH=... -P CheckInstall.cmake
file(REMOVE_RECURSE ${SCRATCH})
set(prefix ${SCRATCH}/prefix)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE installed OUTPUT_QUIET)
if(NOT installed EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${installed}")
endif()

foreach(expected
    bin/tirmagor-editor bin/tirmagor-tool bin/tirmagor-editor-demo
    share/applications/tirmagor-editor.desktop share/man/man1/tirmagor-tool.1
    share/icons/hicolor/32x32/apps/tirmagor-editor.png share/icons/hicolor/256x256/apps/tirmagor-editor.png
    share/tirmagor-editor/demo/orv.dat share/tirmagor-editor/demo/map.bmp
    share/tirmagor-editor/demo/osnova.bmp share/tirmagor-editor/demo/rudnici.bmp
    share/tirmagor-editor/demo/Рифленка.bmp share/tirmagor-editor/demo/palitr.pal
    share/tirmagor-editor/demo/Год0.tvk share/tirmagor-editor/demo/Год20.tvk)
  if(NOT EXISTS ${prefix}/${expected})
    message(FATAL_ERROR "not installed: ${expected}")
  endif()
endforeach()
# The manual page reads as one, where the system has man to read it with.
find_program(MAN man)
if(MAN)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env MANPATH=${prefix}/share/man MANWIDTH=80 ${MAN} -P cat tirmagor-tool
                  RESULT_VARIABLE shown OUTPUT_VARIABLE page ERROR_VARIABLE page)
  string(FIND "${page}" "TIRMAGOR-TOOL(1)" is_the_page)
  if(NOT shown EQUAL 0 OR is_the_page EQUAL -1)
    message(FATAL_ERROR "man tirmagor-tool does not show the installed page:\n${page}")
  endif()
endif()
file(GLOB stray ${prefix}/share/tirmagor-editor/demo/*.stamp)
if(stray)
  message(FATAL_ERROR "build leftovers installed: ${stray}")
endif()

# The stand-in editor reports the folder it was started in and what it finds there.
file(WRITE ${prefix}/bin/tirmagor-editor "#!/bin/sh\npwd\nls\n")
file(CHMOD ${prefix}/bin/tirmagor-editor PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
file(MAKE_DIRECTORY ${SCRATCH}/home)
execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${SCRATCH}/home --unset=XDG_DATA_HOME ${prefix}/bin/tirmagor-editor-demo
                RESULT_VARIABLE launched OUTPUT_VARIABLE report ERROR_VARIABLE report)
set(world ${SCRATCH}/home/.local/share/tirmagor-editor/demo)
string(FIND "${report}" "${world}\n" started_in)
string(FIND "${report}" "orv.dat" has_land_file)
if(NOT launched EQUAL 0 OR NOT started_in EQUAL 0 OR has_land_file EQUAL -1)
  message(FATAL_ERROR "the launcher did not start the editor in the user's demo copy:\n${report}")
endif()
file(WRITE ${world}/Год21.tvk "a turn the user saved")
if(NOT EXISTS ${world}/Год21.tvk)
  message(FATAL_ERROR "the user's demo copy is not writable")
endif()
file(REMOVE_RECURSE ${SCRATCH})
