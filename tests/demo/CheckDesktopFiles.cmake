# The desktop's quality gates for what the package installs: both desktop entries pass
# desktop-file-validate, and the MIME type of turn files, installed into a scratch prefix and its
# database built there, makes xdg-mime name the type of a turn file.
#   cmake -DSOURCE_DIR=... -DBUILD_DIR=... -DSCRATCH=... -P CheckDesktopFiles.cmake
foreach(tool desktop-file-validate update-mime-database xdg-mime)
  find_program(${tool}_PROGRAM ${tool} REQUIRED)
endforeach()
execute_process(COMMAND ${desktop-file-validate_PROGRAM} ${SOURCE_DIR}/desktop/tirmagor-editor-world.desktop
                        ${SOURCE_DIR}/demo/tirmagor-editor.desktop
                RESULT_VARIABLE valid OUTPUT_VARIABLE report ERROR_VARIABLE report)
if(NOT valid EQUAL 0 OR NOT report STREQUAL "")
  message(FATAL_ERROR "desktop-file-validate: ${report}")
endif()

file(REMOVE_RECURSE ${SCRATCH})
set(prefix ${SCRATCH}/prefix)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} RESULT_VARIABLE installed OUTPUT_QUIET)
foreach(expected share/mime/packages/tirmagor-turn.xml share/applications/tirmagor-editor-world.desktop
                 share/icons/hicolor/32x32/mimetypes/application-x-tirmagor-turn.png)
  if(NOT installed EQUAL 0 OR NOT EXISTS ${prefix}/${expected})
    message(FATAL_ERROR "not installed: ${expected}")
  endif()
endforeach()
# A definition the database cannot take fails here.
execute_process(COMMAND ${update-mime-database_PROGRAM} ${prefix}/share/mime RESULT_VARIABLE built ERROR_VARIABLE report)
if(NOT built EQUAL 0)
  message(FATAL_ERROR "update-mime-database: ${report}")
endif()
file(WRITE ${SCRATCH}/Год7.tvk "legend\r\n7\r\nEND\r\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E env XDG_DATA_HOME=${prefix}/share XDG_DATA_DIRS=${prefix}/share:/usr/share
                        XDG_CURRENT_DESKTOP= ${xdg-mime_PROGRAM} query filetype ${SCRATCH}/Год7.tvk
                OUTPUT_VARIABLE type OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_VARIABLE report)
if(NOT type STREQUAL "application/x-tirmagor-turn")
  message(FATAL_ERROR "xdg-mime says a turn file is \"${type}\" ${report}")
endif()
file(REMOVE_RECURSE ${SCRATCH})
