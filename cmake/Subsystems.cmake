# cv_add_subsystem(NAME DEPENDS ...): the static library cv_NAME of one
# subsystem folder. Files directly in the folder are portable (they never
# include windows.h) and are built everywhere; files under win/ use the Windows
# API and are built only for Windows; files under host/ stand in for them in the
# native Linux build.
function(cv_add_subsystem name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB portable CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(WIN32)
    file(GLOB specific CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/win/*.cpp)
  else()
    file(GLOB specific CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/host/*.cpp)
  endif()
  set(sources ${portable} ${specific})
  if(sources)
    add_library(cv_${name} STATIC ${sources})
    target_link_libraries(cv_${name} PUBLIC cv_options ${ARG_DEPENDS})
  else()
    add_library(cv_${name} INTERFACE)
    target_link_libraries(cv_${name} INTERFACE cv_options ${ARG_DEPENDS})
  endif()
endfunction()
