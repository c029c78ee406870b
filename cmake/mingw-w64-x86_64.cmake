# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 toolchain
# (package g++-mingw-w64-x86-64-posix: the POSIX thread model, which the C++
# standard library's threads need).
#
# Inputs, as -D options or environment variables of the same name:
#   HEMWRIGHT_WINDOWS_DEPS  the prefix holding the Windows builds of Xerces-C,
#                           Xalan-C and GoogleTest (scripts/build-windows.sh
#                           makes it and prints where it is). Required.
#   HEMWRIGHT_WINE_RUNNER   a program that runs a Windows executable under
#                           Wine (scripts/build-windows.sh writes one beside
#                           its Wine prefix). Without it, test executables
#                           cannot be run at build or test time.
#
# Libraries, headers and CMake packages are looked up only in that prefix and
# in the toolchain's own folder, never among the build machine's Linux
# libraries. Programs are linked statically, so an executable needs no MinGW
# DLL beside it.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_hemwright_target x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_hemwright_target}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_hemwright_target}-g++-posix)
set(CMAKE_RC_COMPILER ${_hemwright_target}-windres)

# try_compile projects read this file again without the main project's
# cache; these carry the inputs over.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES
  HEMWRIGHT_WINDOWS_DEPS HEMWRIGHT_WINE_RUNNER)

foreach(_hemwright_input IN ITEMS HEMWRIGHT_WINDOWS_DEPS HEMWRIGHT_WINE_RUNNER)
  if(NOT ${_hemwright_input} AND DEFINED ENV{${_hemwright_input}})
    set(${_hemwright_input} "$ENV{${_hemwright_input}}")
  endif()
endforeach()

if(NOT HEMWRIGHT_WINDOWS_DEPS)
  message(FATAL_ERROR
    "HEMWRIGHT_WINDOWS_DEPS is not set: pass -DHEMWRIGHT_WINDOWS_DEPS=<prefix> "
    "naming the Windows libraries' prefix (scripts/build-windows.sh builds it "
    "and prints where it is).")
endif()
get_filename_component(HEMWRIGHT_WINDOWS_DEPS "${HEMWRIGHT_WINDOWS_DEPS}" ABSOLUTE)
set(HEMWRIGHT_WINDOWS_DEPS "${HEMWRIGHT_WINDOWS_DEPS}" CACHE PATH
  "Prefix of the Windows builds of the project's libraries")

set(CMAKE_FIND_ROOT_PATH "/usr/${_hemwright_target}" "${HEMWRIGHT_WINDOWS_DEPS}")
set(CMAKE_PREFIX_PATH "${HEMWRIGHT_WINDOWS_DEPS}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The libraries' own package files know what a static library needs besides
# itself (Xalan-C's message library, Xerces-C), which CMake's FindXalanC and
# FindXercesC modules do not; packages without such a file (header-only Boost)
# still fall back to CMake's modules.
set(CMAKE_FIND_PACKAGE_PREFER_CONFIG ON)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

if(HEMWRIGHT_WINE_RUNNER)
  get_filename_component(HEMWRIGHT_WINE_RUNNER "${HEMWRIGHT_WINE_RUNNER}" ABSOLUTE)
  set(HEMWRIGHT_WINE_RUNNER "${HEMWRIGHT_WINE_RUNNER}" CACHE FILEPATH
    "Program that runs a Windows executable under Wine")
  # Used by add_test, gtest_discover_tests and custom commands that run a
  # target built here.
  set(CMAKE_CROSSCOMPILING_EMULATOR "${HEMWRIGHT_WINE_RUNNER}")
endif()
