# Installs the project's header into a fresh prefix (cmake --install, the
# devel component only) and builds modules/example against it as a third
# party would, with its warnings as errors.
#
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... -DGENERATOR=... -P BuildExampleModule.cmake
foreach(var BUILD_DIR SOURCE_DIR WORK_DIR GENERATOR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

function(run step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${step} failed (${status}):\n${out}")
  endif()
  message(STATUS "${step}: ok")
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
run("install the header" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/root --component devel)
if(NOT EXISTS ${WORK_DIR}/root/usr/include/castellan/linku.h)
  message(FATAL_ERROR "cmake --install did not put usr/include/castellan/linku.h under the prefix")
endif()
run("configure the example" ${CMAKE_COMMAND} -S ${SOURCE_DIR}/modules/example -B ${WORK_DIR}/build -G ${GENERATOR}
    -DCASTELLAN_PREFIX=${WORK_DIR}/root/usr -DEXAMPLE_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo)
# The header it found is the installed one, not the source tree's.
file(STRINGS ${WORK_DIR}/build/CMakeCache.txt found REGEX "^CASTELLAN_INCLUDE_DIR:")
if(NOT found STREQUAL "CASTELLAN_INCLUDE_DIR:PATH=${WORK_DIR}/root/usr/include")
  message(FATAL_ERROR "the example found the header elsewhere: ${found}")
endif()
run("build the example" ${CMAKE_COMMAND} --build ${WORK_DIR}/build)
