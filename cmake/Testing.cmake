# Test programs. Host tests run natively; Windows tests run under Wine through
# CMake's cross-compiling emulator, inside one test session (virtual display,
# private Wine prefix, persistent wineserver) that a setup fixture starts
# before the first Windows test and a cleanup fixture stops after the last.
include(GoogleTest)

if(WIN32)
  set(CV_WINE_SESSION_DIR ${CMAKE_BINARY_DIR}/wine)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
  add_test(NAME wine_session_start
           COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-session start ${CV_WINE_SESSION_DIR})
  set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine_session TIMEOUT 180)
  add_test(NAME wine_session_stop
           COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-session stop ${CV_WINE_SESSION_DIR})
  set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine_session)
endif()

# cv_add_test(NAME SOURCES ... LIBS ...): one GoogleTest program. On the host
# every test case is its own CTest test; under Wine the whole program is one
# CTest test, since each Wine start costs seconds.
function(cv_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} cv_options GTest::gtest_main GTest::gmock)
  if(WIN32)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_session)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
