# Inputs of the Windows build that Debian has no MinGW packages for, made by tools/build-windows:
#
#   TALVANE_WINDOWS_DEPS  prefixes of the static libraries built for MinGW from Debian's source
#                         packages: FFTW (lib/libfftw3.a, lib/pkgconfig/fftw3.pc) and Highway
#                         (lib/libhwy.a, lib/pkgconfig/libhwy.pc)
#   TALVANE_ARTWORK_TOOL  the build machine's talvane-artwork, which draws the editor's bitmaps
#                         (only needed when cross compiling)
set(TALVANE_WINDOWS_DEPS "" CACHE STRING "Prefixes of the libraries built for Windows (FFTW, Highway)")
set(TALVANE_ARTWORK_TOOL "" CACHE FILEPATH "The build machine's talvane-artwork program")

# pkg-config finds only the Windows libraries, never the build machine's.
set(_talvane_pkgconfig_dirs "")
foreach(_talvane_package fftw3 libhwy)
    set(_talvane_found "")
    foreach(_talvane_prefix IN LISTS TALVANE_WINDOWS_DEPS)
        if(EXISTS "${_talvane_prefix}/lib/pkgconfig/${_talvane_package}.pc")
            set(_talvane_found "${_talvane_prefix}")
        endif()
    endforeach()
    if(NOT _talvane_found)
        message(FATAL_ERROR "${_talvane_package} for Windows not found (TALVANE_WINDOWS_DEPS='${TALVANE_WINDOWS_DEPS}').\n"
            "tools/build-windows builds it from Debian's source package and configures this tree.")
    endif()
    list(APPEND _talvane_pkgconfig_dirs "${_talvane_found}/lib/pkgconfig")
    list(APPEND CMAKE_FIND_ROOT_PATH "${_talvane_found}")
endforeach()
list(REMOVE_DUPLICATES _talvane_pkgconfig_dirs)
string(REPLACE ";" ":" _talvane_pkgconfig_path "${_talvane_pkgconfig_dirs}")
set(ENV{PKG_CONFIG_LIBDIR} "${_talvane_pkgconfig_path}")
set(ENV{PKG_CONFIG_PATH} "")

if(CMAKE_CROSSCOMPILING AND NOT EXISTS "${TALVANE_ARTWORK_TOOL}")
    message(FATAL_ERROR "TALVANE_ARTWORK_TOOL must name the build machine's talvane-artwork "
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
