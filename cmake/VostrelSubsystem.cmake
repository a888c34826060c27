# vostrel_subsystem(NAME [DEPENDS libs...] [GL_DEPENDS libs...] [QT_DEPENDS libs...])
#
# A subsystem folder gives up to three libraries, chosen by file name, so that where a
# file lives and what it is called decide what it may use:
#   vostrel_NAME      files without a prefix: no toolkit, no OpenGL
#   vostrel_NAME_gl   gl_*.cpp: OpenGL and GLU drawing, no toolkit; the program that
#                     uses it chooses the OpenGL library (the window's, or OSMesa)
#   vostrel_NAME_qt   qt_*.cpp: panels, dialogs and windows (Qt Widgets)
# main.cpp is left to the folder's own CMakeLists (it makes a program). The GL and Qt
# libraries are made only when the desktop application is built.
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
      target_link_libraries(vostrel_${name}_qt PUBLIC vostrel_${name} vostrel_qtwidgets
        ${ARG_QT_DEPENDS} Qt6::Widgets)
    endif()
  endif()
endfunction()
