# Tests of the Windows build run under Wine, all of one ctest run in one
# session: one Xvfb (started with -displayfd) and one freshly booted
# WINEPREFIX, made by the fixture test wine_session_start and removed by
# wine_session_stop. The session is described by an environment file,
# ${ZELLIK_WINE_SESSION_FILE}, which scripts/windows/wine-run.sh (the
# emulator) and scripts/windows/wine-lib.sh (for shell-driven tests) read.
#
#   zellik_add_wine_test(NAME n COMMAND exe-target-or-program args...
#                        [TIMEOUT s] [RESOURCE_LOCK names...] [LABELS more...])
#     adds a test that needs the session: label wine, the fixture, a timeout.
#     An executable target as COMMAND runs through the emulator, as add_test
#     does with any cross-compiled target.
#   ZELLIK_WINE_TEST_PROPERTIES
#     the same properties as a list, for gtest_discover_tests(... PROPERTIES
#     ${ZELLIK_WINE_TEST_PROPERTIES}) and set_tests_properties.
set(ZELLIK_WINE_SCRIPTS ${PROJECT_SOURCE_DIR}/scripts/windows)
set(ZELLIK_WINE_SESSION_DIR ${PROJECT_BINARY_DIR}/wine)
set(ZELLIK_WINE_SESSION_FILE ${ZELLIK_WINE_SESSION_DIR}/session.env)
set(ZELLIK_WINE_FIXTURE wine_session)

get_property(_zellik_wine_fixture_defined GLOBAL PROPERTY ZELLIK_WINE_FIXTURE_DEFINED)
if(NOT _zellik_wine_fixture_defined)
  set_property(GLOBAL PROPERTY ZELLIK_WINE_FIXTURE_DEFINED TRUE)
  add_test(NAME wine_session_start
           COMMAND ${ZELLIK_WINE_SCRIPTS}/wine-session.sh start ${ZELLIK_WINE_SESSION_DIR})
  add_test(NAME wine_session_stop
           COMMAND ${ZELLIK_WINE_SCRIPTS}/wine-session.sh stop ${ZELLIK_WINE_SESSION_DIR})
  # Booting a prefix takes 6 to 30 s; a loaded machine needs more, and
  # wineboot itself is given 300 s.
  set_tests_properties(wine_session_start PROPERTIES
    FIXTURES_SETUP ${ZELLIK_WINE_FIXTURE} LABELS wine TIMEOUT 400)
  set_tests_properties(wine_session_stop PROPERTIES
    FIXTURES_CLEANUP ${ZELLIK_WINE_FIXTURE} LABELS wine TIMEOUT 60)
endif()

set(ZELLIK_WINE_TEST_PROPERTIES
    FIXTURES_REQUIRED ${ZELLIK_WINE_FIXTURE}
    LABELS wine
    ENVIRONMENT "ZELLIK_WINE_SESSION=${ZELLIK_WINE_SESSION_FILE}")

function(zellik_add_wine_test)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME;TIMEOUT;WORKING_DIRECTORY" "COMMAND;RESOURCE_LOCK;LABELS")
  if(NOT arg_NAME OR NOT arg_COMMAND)
    message(FATAL_ERROR "zellik_add_wine_test needs NAME and COMMAND")
  endif()
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 120)
  endif()
  if(NOT arg_WORKING_DIRECTORY)
    set(arg_WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  add_test(NAME ${arg_NAME} COMMAND ${arg_COMMAND} WORKING_DIRECTORY ${arg_WORKING_DIRECTORY})
  set_tests_properties(${arg_NAME} PROPERTIES
    FIXTURES_REQUIRED ${ZELLIK_WINE_FIXTURE}
    LABELS "wine;${arg_LABELS}"
    TIMEOUT ${arg_TIMEOUT}
    ENVIRONMENT "ZELLIK_WINE_SESSION=${ZELLIK_WINE_SESSION_FILE}")
  # One at a time: every test shares the session's wineserver, desktop,
  # cursor and registry.
  if(NOT arg_RESOURCE_LOCK)
    set(arg_RESOURCE_LOCK zellik_wine_desktop)
  endif()
  set_tests_properties(${arg_NAME} PROPERTIES RESOURCE_LOCK "${arg_RESOURCE_LOCK}")
endfunction()
