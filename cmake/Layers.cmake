# The layers of the program, enforced by the build.
#
# The storage engine, the other platform layers, the data layer, the dispatch
# layer and the desktop's session logic are plain Qt Core at most: they must
# build and be tested without a screen, and the module libraries and tools
# link them without pulling in a GUI. Two checks hold them to it:
#
# * orba_forbid_widgets(target): at the end of configuration, the target's
#   link closure must not reach Qt Gui, Widgets or PrintSupport
#   (orba_check_layers, called from the top-level CMakeLists.txt);
# * orba_forbid_widget_includes(dir...): at build time, no source or header
#   under the folders may include a header of those Qt modules, under any
#   spelling (<QWidget>, <QtWidgets/QWidget>, <qwidget.h>).

set(ORBA_FORBIDDEN_QT_TARGETS Qt6::Gui Qt6::Widgets Qt6::PrintSupport)

function(orba_forbid_widgets target)
  set_property(GLOBAL APPEND PROPERTY ORBA_CORE_ONLY_TARGETS ${target})
endfunction()

# Collects every library a target links, directly or through others.
function(_orba_link_closure target out)
  set(seen "")
  set(queue ${target})
  while(queue)
    list(POP_FRONT queue current)
    if(current IN_LIST seen OR NOT TARGET ${current})
      continue()
    endif()
    list(APPEND seen ${current})
    get_target_property(aliased ${current} ALIASED_TARGET)
    if(aliased)
      list(APPEND queue ${aliased})
    endif()
    get_target_property(type ${current} TYPE)
    set(props INTERFACE_LINK_LIBRARIES)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      list(APPEND props LINK_LIBRARIES)
    endif()
    foreach(prop ${props})
      get_target_property(libs ${current} ${prop})
      if(libs)
        foreach(lib ${libs})
          # $<LINK_ONLY:x> and other wrappers around a target name
          string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" lib "${lib}")
          list(APPEND queue ${lib})
        endforeach()
      endif()
    endforeach()
  endwhile()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

function(orba_check_layers)
  get_property(targets GLOBAL PROPERTY ORBA_CORE_ONLY_TARGETS)
  foreach(target ${targets})
    _orba_link_closure(${target} closure)
    foreach(forbidden ${ORBA_FORBIDDEN_QT_TARGETS})
      if(forbidden IN_LIST closure)
        message(FATAL_ERROR
          "${target} links ${forbidden}: this layer links Qt Core at most (see cmake/Layers.cmake)")
      endif()
    endforeach()
  endforeach()
endfunction()

# The header names of the forbidden Qt modules, as "QWidget" and "qwidget.h".
function(_orba_forbidden_headers out)
  set(names "")
  foreach(module Gui Widgets PrintSupport)
    get_target_property(dirs Qt6::${module} INTERFACE_INCLUDE_DIRECTORIES)
    foreach(dir ${dirs})
      if(dir MATCHES "/Qt${module}$")
        file(GLOB headers RELATIVE ${dir} ${dir}/*)
        list(APPEND names ${headers})
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES names)
  set(${out} ${names} PARENT_SCOPE)
endfunction()

function(orba_forbid_widget_includes name)
  _orba_forbidden_headers(headers)
  set(list_file ${CMAKE_BINARY_DIR}/layers/${name}-forbidden-headers.txt)
  string(REPLACE ";" "\n" text "${headers}")
  file(WRITE ${list_file} "${text}\n")
  set(sources "")
  foreach(dir ${ARGN})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h ${dir}/*.c)
    list(APPEND sources ${found})
  endforeach()
  set(files_list ${CMAKE_BINARY_DIR}/layers/${name}-files.txt)
  string(REPLACE ";" "\n" files_text "${sources}")
  file(WRITE ${files_list} "${files_text}\n")
  set(stamp ${CMAKE_BINARY_DIR}/layers/${name}.checked)
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DHEADERS=${list_file} -DFILES_LIST=${files_list} -DLAYER=${name} -DSTAMP=${stamp}
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
    DEPENDS ${sources} ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
    COMMENT "Checking that ${name} includes no GUI header"
    VERBATIM)
  add_custom_target(layer_${name} ALL DEPENDS ${stamp})
endfunction()
