# Cross-compiling for 64-bit Windows with Debian's mingw-w64.
#
#   scripts/build-mingw-libjpeg.sh
#   cmake -S . -B build/windows --toolchain cmake/toolchain-mingw64.cmake
#
# libjpeg comes from scripts/build-mingw-libjpeg.sh, which installs it under
# build/mingw-libjpeg/prefix; ZELLIK_MINGW_JPEG_PREFIX (cache or environment)
# points elsewhere.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(ZELLIK_MINGW_TRIPLE x86_64-w64-mingw32)
# The posix thread model: its libstdc++ has std::mutex, which GoogleTest needs.
# The saver itself runs on one thread; with -static the thread library is
# linked in and the executable still imports system DLLs only.
set(CMAKE_C_COMPILER ${ZELLIK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELLIK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZELLIK_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${ZELLIK_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${ZELLIK_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")

# The toolchain file is read again for every try_compile, from another
# directory, so the default prefix is found from this file's own place.
if(NOT ZELLIK_MINGW_JPEG_PREFIX)
  if(DEFINED ENV{ZELLIK_MINGW_JPEG_PREFIX})
    set(ZELLIK_MINGW_JPEG_PREFIX $ENV{ZELLIK_MINGW_JPEG_PREFIX})
  else()
    get_filename_component(ZELLIK_MINGW_JPEG_PREFIX "${CMAKE_CURRENT_LIST_DIR}/../build/mingw-libjpeg/prefix" ABSOLUTE)
  endif()
endif()
set(ZELLIK_MINGW_JPEG_PREFIX "${ZELLIK_MINGW_JPEG_PREFIX}" CACHE PATH "Prefix of the cross-built static libjpeg")
# try_compile projects get the value through the environment.
set(ENV{ZELLIK_MINGW_JPEG_PREFIX} "${ZELLIK_MINGW_JPEG_PREFIX}")

set(CMAKE_FIND_ROOT_PATH /usr/${ZELLIK_MINGW_TRIPLE} ${ZELLIK_MINGW_JPEG_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The prefix holds a static libjpeg.a only; no import library may win over it.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
if(EXISTS ${ZELLIK_MINGW_JPEG_PREFIX}/lib/libjpeg.a)
  set(JPEG_INCLUDE_DIR ${ZELLIK_MINGW_JPEG_PREFIX}/include CACHE PATH "")
  set(JPEG_LIBRARY ${ZELLIK_MINGW_JPEG_PREFIX}/lib/libjpeg.a CACHE FILEPATH "")
elseif(NOT JPEG_LIBRARY)
  message(FATAL_ERROR "No libjpeg for mingw in ${ZELLIK_MINGW_JPEG_PREFIX}: run scripts/build-mingw-libjpeg.sh "
                      "(or set ZELLIK_MINGW_JPEG_PREFIX, or JPEG_INCLUDE_DIR and JPEG_LIBRARY)")
endif()

# mingw's own printf, not the system C runtime's: "%.9g" and "%lld" must give
# the same text as glibc, since the frame traces of both systems are compared
# line for line.
set(CMAKE_C_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1")
set(CMAKE_CXX_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1")
# One self-contained executable: libgcc, libstdc++ and winpthread linked in, so
# it imports system DLLs only.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Cross-built test programs run under Wine (scripts/windows/wine-run.sh, which
# finds its prefix and display through the fixture's environment file).
get_filename_component(_zellik_wine_run "${CMAKE_CURRENT_LIST_DIR}/../scripts/windows/wine-run.sh" ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${_zellik_wine_run})
