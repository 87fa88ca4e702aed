# GoogleTest for the Windows build: Debian ships its sources (package
# googletest, /usr/src/googletest) but no mingw libraries, so both libraries are
# compiled here with the cross compiler. Test programs run under Wine through
# CMAKE_CROSSCOMPILING_EMULATOR (scripts/windows/wine-run.sh, set by
# cmake/toolchain-mingw64.cmake).
#
# Defines GTest::gtest and GTest::gtest_main, the Wine session fixture and
# zellik_add_wine_test() (cmake/WineTests.cmake).
set(ZELLIK_GTEST_SOURCE_DIR /usr/src/googletest/googletest CACHE PATH "GoogleTest sources to cross-compile")
if(NOT EXISTS ${ZELLIK_GTEST_SOURCE_DIR}/src/gtest-all.cc)
  message(FATAL_ERROR "No GoogleTest sources in ${ZELLIK_GTEST_SOURCE_DIR}: run scripts/install-deps.sh windows")
endif()

if(NOT TARGET GTest::gtest)
  # The library's own code is not held to our warning flags.
  add_library(zellik_gtest STATIC ${ZELLIK_GTEST_SOURCE_DIR}/src/gtest-all.cc)
  target_include_directories(zellik_gtest SYSTEM PUBLIC ${ZELLIK_GTEST_SOURCE_DIR}/include)
  target_include_directories(zellik_gtest PRIVATE ${ZELLIK_GTEST_SOURCE_DIR})
  # GoogleTest's own Win32 threading, not mingw's pthreads (the toolchain's
  # posix thread model supplies std::mutex, which it needs as well).
  target_compile_definitions(zellik_gtest PUBLIC GTEST_HAS_PTHREAD=0)
  target_compile_options(zellik_gtest PRIVATE -w)

  add_library(zellik_gtest_main STATIC ${ZELLIK_GTEST_SOURCE_DIR}/src/gtest_main.cc)
  target_link_libraries(zellik_gtest_main PUBLIC zellik_gtest)
  target_compile_options(zellik_gtest_main PRIVATE -w)

  add_library(GTest::gtest ALIAS zellik_gtest)
  add_library(GTest::gtest_main ALIAS zellik_gtest_main)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/WineTests.cmake)
