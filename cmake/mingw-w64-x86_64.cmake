# Cross-builds the Windows console program durno.exe with MinGW-w64 GCC on Debian or
# Ubuntu (package g++-mingw-w64-x86-64-posix). GCC keeps the 64-bit x87 long double the
# conversions need, which MSVC does not. With Wine installed, ctest runs every test
# executable under it.
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#     -DDURNO_BUILD_TESTS=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DURNO_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DURNO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DURNO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${DURNO_MINGW_TRIPLET}-windres)

# Libraries, headers and CMake packages come from the MinGW tree only; programs (the build
# tools) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${DURNO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Statically linked, durno.exe needs no DLL beside it (libstdc++, libgcc, winpthread).
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Wine runs the tests through cmake/wine-run, which keeps Wine's services off ctest's pipes,
# in a Wine prefix of the build folder's own.
find_program(DURNO_WINE wine)
if(DURNO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run
      ${CMAKE_BINARY_DIR}/wine-prefix)
endif()
