# Dependencies, all from Debian packages installed by scripts/bootstrap.

# GoogleTest from its source package, compiled for each toolchain.
set(CV_GOOGLETEST_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
if(BUILD_TESTING)
  if(NOT EXISTS ${CV_GOOGLETEST_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in ${CV_GOOGLETEST_DIR}: run scripts/bootstrap")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${CV_GOOGLETEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

# zlib: the host's zlib1g-dev, or libz-mingw-w64-dev linked statically.
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

# libmspack from Debian's source package (unpacked into third_party/ by
# scripts/bootstrap). Only the cabinet decompressor is built: that is all the
# unpack library uses.
set(CV_LIBMSPACK_DIR ${PROJECT_SOURCE_DIR}/third_party/libmspack CACHE PATH "libmspack sources")
if(NOT EXISTS ${CV_LIBMSPACK_DIR}/mspack/mspack.h)
  message(FATAL_ERROR "libmspack sources not found in ${CV_LIBMSPACK_DIR}: run scripts/bootstrap")
endif()
# Our fixes to the library (patches/libmspack) are applied by scripts/bootstrap,
# which stamps the tree with the patches' digest; a tree without the current
# patches would build a library with known faults.
file(GLOB CV_LIBMSPACK_PATCHES ${PROJECT_SOURCE_DIR}/patches/libmspack/*.patch)
set(CV_LIBMSPACK_PATCH_TEXT "")
foreach(patch_file IN LISTS CV_LIBMSPACK_PATCHES)
  file(READ ${patch_file} patch_text)
  string(APPEND CV_LIBMSPACK_PATCH_TEXT "${patch_text}")
endforeach()
string(SHA256 CV_LIBMSPACK_PATCH_DIGEST "${CV_LIBMSPACK_PATCH_TEXT}")
file(STRINGS ${CV_LIBMSPACK_DIR}/.corvane-patches CV_LIBMSPACK_STAMP LIMIT_COUNT 1)
if(NOT CV_LIBMSPACK_STAMP STREQUAL CV_LIBMSPACK_PATCH_DIGEST)
  message(FATAL_ERROR "libmspack in ${CV_LIBMSPACK_DIR} lacks the current patches/libmspack: run scripts/bootstrap")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CV_LIBMSPACK_PATCHES})
include(CheckTypeSize)
check_type_size(off_t CV_SIZEOF_OFF_T)
configure_file(${PROJECT_SOURCE_DIR}/cmake/mspack_config.h.in
               ${CMAKE_BINARY_DIR}/third_party/libmspack/config.h)
add_library(mspack STATIC
  ${CV_LIBMSPACK_DIR}/mspack/system.c
  ${CV_LIBMSPACK_DIR}/mspack/cabd.c
  ${CV_LIBMSPACK_DIR}/mspack/lzxd.c
  ${CV_LIBMSPACK_DIR}/mspack/mszipd.c
  ${CV_LIBMSPACK_DIR}/mspack/qtmd.c)
target_include_directories(mspack
  PUBLIC ${CV_LIBMSPACK_DIR}/mspack
  PRIVATE ${CMAKE_BINARY_DIR}/third_party/libmspack)
# The library's default file routines (the C library's stdio) are never used:
# the unpack library always passes its own. Left out, they no longer link a
# printf implementation into the unpack library.
target_compile_definitions(mspack PRIVATE HAVE_CONFIG_H MSPACK_NO_DEFAULT_SYSTEM)
target_compile_options(mspack PRIVATE -w)
# Decoding is where extraction spends its time: the size-optimised build
# optimises it for speed all the same (a few KB of the unpack library).
target_compile_options(mspack PRIVATE $<$<CONFIG:MinSizeRel>:-O2>)
set_target_properties(mspack PROPERTIES POSITION_INDEPENDENT_CODE ON)
