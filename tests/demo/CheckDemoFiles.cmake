# Writes the demo world into a scratch folder and runs `tirmagor-tool check` on each of its
# text files; any problem the checker reports fails the test.
#   cmake -DGENERATOR=... -DTOOL=... -DSCRATCH=... -P CheckDemoFiles.cmake
file(REMOVE_RECURSE ${SCRATCH})
execute_process(COMMAND ${GENERATOR} ${SCRATCH} RESULT_VARIABLE generated)
if(NOT generated EQUAL 0)
  message(FATAL_ERROR "the demo generator failed: ${generated}")
endif()
file(GLOB files ${SCRATCH}/*.dat ${SCRATCH}/*.pal ${SCRATCH}/*.tvk)
list(LENGTH files count)
if(count LESS 23)
  message(FATAL_ERROR "expected the land file, the palette and 21 turns, found ${count} files")
endif()
execute_process(COMMAND ${TOOL} check ${files} RESULT_VARIABLE checked OUTPUT_VARIABLE report ERROR_VARIABLE report)
message("${report}")
if(NOT checked EQUAL 0)
  message(FATAL_ERROR "tirmagor-tool check found problems in the demo files")
endif()
file(REMOVE_RECURSE ${SCRATCH})
