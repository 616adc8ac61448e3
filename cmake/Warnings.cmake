# Compiler settings shared by every target of the project (not third-party code).
option(CV_WARNINGS_AS_ERRORS "Treat warnings as errors" OFF)
option(CV_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

add_library(cv_options INTERFACE)
target_compile_features(cv_options INTERFACE cxx_std_20)
target_compile_options(cv_options INTERFACE -Wall -Wextra -Wshadow -Wnon-virtual-dtor)
if(CV_WARNINGS_AS_ERRORS)
  target_compile_options(cv_options INTERFACE -Werror)
  # GCC 12 at -O3 warns of overlapping copies inside std::string's own
  # operator+ (its bug 105329): a false alarm in the library, not our code.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(cv_options INTERFACE -Wno-restrict)
  endif()
endif()
target_include_directories(cv_options INTERFACE ${PROJECT_SOURCE_DIR}/src)
if(WIN32)
  # ANSI Windows API throughout: the engine's texts are 8-bit strings.
  target_compile_definitions(cv_options INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX
                                                  _WIN32_WINNT=0x0501 WINVER=0x0501)
endif()

if(CV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
  # Programs and libraries run on a clean Windows: no runtime DLLs beside them.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # The shipped (size-optimised) build carries no symbols, and keeps only the
  # functions and data something refers to: each gets its own section, and
  # the linker drops the sections nothing reaches.
  add_link_options($<$<CONFIG:MinSizeRel>:-s>)
  add_compile_options($<$<CONFIG:MinSizeRel>:-ffunction-sections>
                      $<$<CONFIG:MinSizeRel>:-fdata-sections>)
  add_link_options($<$<CONFIG:MinSizeRel>:-Wl,--gc-sections>)
endif()
