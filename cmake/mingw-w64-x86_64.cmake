# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix thread model):
#
#   cmake -S . -B build/windows/x86_64-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DTALVANE_ARTWORK_TOOL=<native talvane-artwork> -DTALVANE_WINDOWS_DEPS=<prefix with FFTW>
#
# tools/build-windows does all of this. Everything is linked statically against the MinGW runtime
# (libgcc, libstdc++, winpthread), so the module and the test programs need only Windows' own DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TALVANE_MINGW_TRIPLE x86_64-w64-mingw32)
# The -posix compilers carry std::thread and std::mutex (over winpthread); the -win32 ones do not.
find_program(CMAKE_C_COMPILER NAMES ${TALVANE_MINGW_TRIPLE}-gcc-posix ${TALVANE_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TALVANE_MINGW_TRIPLE}-g++-posix ${TALVANE_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TALVANE_MINGW_TRIPLE}-windres REQUIRED)
find_program(CMAKE_OBJDUMP NAMES ${TALVANE_MINGW_TRIPLE}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${TALVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static makes the linker take libwinpthread's archive too, not its import library.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Wine runs the test programs (ctest and gtest_discover_tests go through it), quietly and in a
# prefix of the build tree's own.
find_program(TALVANE_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(TALVANE_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        "${CMAKE_COMMAND};-E;env;WINEDEBUG=-all;WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix;${TALVANE_WINE}")
endif()
