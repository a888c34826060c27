# vostrel_subsystem(NAME [DEPENDS libs...] [GL_DEPENDS libs...] [QT_DEPENDS libs...])
#
# A subsystem folder gives up to three libraries, chosen by file name, so that where a
# file lives and what it is called decide what it may use:
#   vostrel_NAME      files without a prefix: no toolkit, no OpenGL
#   vostrel_NAME_gl   gl_*.cpp: OpenGL and GLU drawing, no toolkit; the program that
#                     uses it chooses the OpenGL library (the window's, or OSMesa)
#   vostrel_NAME_qt   qt_*.cpp: panels, dialogs and windows (Qt Widgets)
# main.cpp is left to the folder's own CMakeLists (it makes a program). The GL and Qt
# libraries are made only when the desktop application is built. The plain and Qt
# libraries are compiled eight files to a unit: the Qt headers, and the inline code of
# the headers every file shares, are compiled once a unit rather than once a file
# (names private to a file must then differ between the files of a library).
function(vostrel_subsystem name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;GL_DEPENDS;QT_DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(plain_sources)
  set(gl_sources)
  set(qt_sources)
  foreach(source ${sources})
    get_filename_component(file ${source} NAME)
    if(file MATCHES "^qt_")
      list(APPEND qt_sources ${source})
    elseif(file MATCHES "^gl_")
      list(APPEND gl_sources ${source})
    elseif(NOT file STREQUAL "main.cpp")
      list(APPEND plain_sources ${source})
    endif()
  endforeach()

  if(plain_sources)
    add_library(vostrel_${name} STATIC ${plain_sources})
    set_target_properties(vostrel_${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)
    target_link_libraries(vostrel_${name} PUBLIC vostrel_core ${ARG_DEPENDS})
  else()
    add_library(vostrel_${name} INTERFACE)
    target_link_libraries(vostrel_${name} INTERFACE vostrel_core ${ARG_DEPENDS})
  endif()

  if(VOSTREL_GUI)
    if(gl_sources)
      add_library(vostrel_${name}_gl STATIC ${gl_sources})
      target_link_libraries(vostrel_${name}_gl PUBLIC vostrel_${name} ${ARG_GL_DEPENDS})
    endif()
    if(qt_sources)
      add_library(vostrel_${name}_qt STATIC ${qt_sources})
      set_target_properties(vostrel_${name}_qt PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)
      target_link_libraries(vostrel_${name}_qt PUBLIC vostrel_${name} vostrel_qtwidgets
        ${ARG_QT_DEPENDS} Qt6::Widgets)
    endif()
  endif()
endfunction()
