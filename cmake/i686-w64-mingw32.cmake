# CMake toolchain file: cross-build 32-bit Windows programs with Debian's
# mingw-w64 (i686, posix thread model) and run them through Wine.
#
#   scripts/install-deps.sh windows
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake
#   cmake --build build-win32 && ctest --test-dir build-win32
#
# Executables are linked fully static (libgcc, libstdc++, winpthread), so
# they import only DLLs that ship with Windows. Entry points wmain/wWinMain
# need -municode on the target (compile and link).
cmake_minimum_required(VERSION 3.25)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(_korvane_triple i686-w64-mingw32)

# The -posix drivers have the complete <thread>/<mutex>/<future> of GCC 12;
# the plain names are Debian alternatives that may point at either model.
find_program(_korvane_cc NAMES ${_korvane_triple}-gcc-posix ${_korvane_triple}-gcc
             NO_CACHE REQUIRED)
find_program(_korvane_cxx NAMES ${_korvane_triple}-g++-posix ${_korvane_triple}-g++
             NO_CACHE REQUIRED)
set(CMAKE_C_COMPILER "${_korvane_cc}")
set(CMAKE_CXX_COMPILER "${_korvane_cxx}")
find_program(CMAKE_RC_COMPILER NAMES ${_korvane_triple}-windres REQUIRED)
find_program(CMAKE_AR NAMES ${_korvane_triple}-gcc-ar-posix ${_korvane_triple}-ar REQUIRED)
find_program(CMAKE_RANLIB NAMES ${_korvane_triple}-gcc-ranlib-posix ${_korvane_triple}-ranlib
             REQUIRED)
find_program(CMAKE_OBJDUMP NAMES ${_korvane_triple}-objdump)
find_program(CMAKE_STRIP NAMES ${_korvane_triple}-strip)

set(CMAKE_FIND_ROOT_PATH /usr/${_korvane_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# add_test() commands and try_run() go through Wine.
get_filename_component(_korvane_wine_run "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh"
                       ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_korvane_wine_run}")
