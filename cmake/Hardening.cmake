# The hardening flags Debian builds its packages with, as dpkg-buildflags
# gives them with every hardening feature on (stack protector, fortified
# functions, format checks, read-only relocations bound at load time). The
# build type still decides optimisation and debugging information, and the
# sources keep their own paths in the debugging information.
#
# Not for a build without optimisation (the fortified functions need it) nor
# for the fuzzing build, whose sanitizers intercept those functions.
option(ORBA_HARDENING "Build with the hardening flags of dpkg-buildflags" ON)

function(orba_apply_hardening)
  if(NOT ORBA_HARDENING OR ORBA_FUZZ OR CMAKE_BUILD_TYPE STREQUAL "Debug")
    return()
  endif()
  find_program(ORBA_DPKG_BUILDFLAGS dpkg-buildflags)
  if(NOT ORBA_DPKG_BUILDFLAGS)
    message(STATUS "Hardening: dpkg-buildflags not found, built without its flags")
    return()
  endif()
  set(applied)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
              ${ORBA_DPKG_BUILDFLAGS} --get ${kind}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "dpkg-buildflags --get ${kind} failed (${status})")
    endif()
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^-(O[0-9sgz]?|g[0-9]?|f(file|debug|macro)-prefix-map=.*)$")
    if(kind STREQUAL "LDFLAGS")
      add_link_options(${flags})
    else()
      add_compile_options(${flags})
    endif()
    list(APPEND applied ${flags})
  endforeach()
  list(REMOVE_DUPLICATES applied)
  list(JOIN applied " " shown)
  message(STATUS "Hardening: ${shown}")
endfunction()
orba_apply_hardening()
