# Inputs of the Windows build that Debian has no MinGW packages for, made by tools/build-windows:
#
#   TALVANE_WINDOWS_DEPS  prefix of the static FFTW built for MinGW from Debian's source package
#                         (lib/libfftw3.a, include/fftw3.h, lib/pkgconfig/fftw3.pc)
#   TALVANE_ARTWORK_TOOL  the build machine's talvane-artwork, which draws the editor's bitmaps
#                         (only needed when cross compiling)
#   TALVANE_MODULEINFO_TOOL  the build machine's talvane-moduleinfo, which writes the bundle's
#                         moduleinfo.json (only needed when cross compiling)
#   TALVANE_PRESET_WRITER_TOOL  the build machine's talvane-write-vstpresets, which writes the
#                         factory sounds as preset files (only needed when cross compiling)
set(TALVANE_WINDOWS_DEPS "" CACHE PATH "Prefix of the libraries built for Windows (FFTW)")
set(TALVANE_ARTWORK_TOOL "" CACHE FILEPATH "The build machine's talvane-artwork program")
set(TALVANE_MODULEINFO_TOOL "" CACHE FILEPATH "The build machine's talvane-moduleinfo program")
set(TALVANE_PRESET_WRITER_TOOL "" CACHE FILEPATH "The build machine's talvane-write-vstpresets program")

if(NOT TALVANE_WINDOWS_DEPS OR NOT EXISTS "${TALVANE_WINDOWS_DEPS}/lib/pkgconfig/fftw3.pc")
    message(FATAL_ERROR "FFTW for Windows not found (TALVANE_WINDOWS_DEPS='${TALVANE_WINDOWS_DEPS}').\n"
        "tools/build-windows builds it from Debian's source package and configures this tree.")
endif()
# pkg-config finds only the Windows libraries, never the build machine's.
set(ENV{PKG_CONFIG_LIBDIR} "${TALVANE_WINDOWS_DEPS}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
list(APPEND CMAKE_FIND_ROOT_PATH "${TALVANE_WINDOWS_DEPS}")

if(CMAKE_CROSSCOMPILING AND NOT EXISTS "${TALVANE_ARTWORK_TOOL}")
    message(FATAL_ERROR "TALVANE_ARTWORK_TOOL must name the build machine's talvane-artwork "
        "(tools/build-windows builds it).")
endif()
if(CMAKE_CROSSCOMPILING AND NOT EXISTS "${TALVANE_MODULEINFO_TOOL}")
    message(FATAL_ERROR "TALVANE_MODULEINFO_TOOL must name the build machine's talvane-moduleinfo "
        "(tools/build-windows builds it).")
endif()
if(CMAKE_CROSSCOMPILING AND NOT EXISTS "${TALVANE_PRESET_WRITER_TOOL}")
    message(FATAL_ERROR "TALVANE_PRESET_WRITER_TOOL must name the build machine's talvane-write-vstpresets "
        "(tools/build-windows builds it).")
endif()

# M_PI and friends, which glibc offers by default and the Windows headers only on request.
add_compile_definitions(_USE_MATH_DEFINES)

# Windows keeps the stack aligned to 16 bytes only, and GCC for MinGW cannot realign it for the
# 32- and 64-byte vectors of the AVX2 and AVX-512 kernels: the assembler turns the aligned vector
# moves of spilled registers into unaligned ones, which are as fast where the data is aligned.
add_compile_options(-Wa,-muse-unaligned-vector-move)

# No sanitizers for MinGW.
if(TALVANE_SANITIZE OR TALVANE_TSAN)
    message(FATAL_ERROR "The sanitizers are for the Linux builds only")
endif()
