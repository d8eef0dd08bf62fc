# Writes the four 16-bit version numbers of a target into the ".orba_version"
# section of the file it builds, where GetFileVersionText reads them back.
# Numbers default to the project version.
function(orba_add_version_section target)
  set(options)
  set(oneValue VERSION)
  cmake_parse_arguments(ARG "${options}" "${oneValue}" "" ${ARGN})
  if(NOT ARG_VERSION)
    set(ARG_VERSION ${PROJECT_VERSION})
  endif()
  string(REPLACE "." ";" parts "${ARG_VERSION}")
  list(LENGTH parts count)
  while(count LESS 4)
    list(APPEND parts 0)
    math(EXPR count "${count} + 1")
  endwhile()
  list(GET parts 0 V0)
  list(GET parts 1 V1)
  list(GET parts 2 V2)
  list(GET parts 3 V3)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_section.c)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionSection.c.in ${out} @ONLY)
  target_sources(${target} PRIVATE ${out})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/include)
endfunction()

# A library that the desktop loads at run time by file name: no "lib" prefix,
# only its entry points exported, a version record, and no GNU unique
# symbols, which would keep it loaded after dlclose when the desktop means to
# unload it right after each call.
function(orba_add_module_library target)
  add_library(${target} MODULE ${ARGN})
  set_target_properties(${target} PROPERTIES PREFIX "" CXX_VISIBILITY_PRESET hidden
                                             VISIBILITY_INLINES_HIDDEN ON)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -fno-gnu-unique)
  endif()
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/include)
  target_link_libraries(${target} PRIVATE ${CMAKE_DL_LIBS})
  orba_add_version_section(${target})
endfunction()
