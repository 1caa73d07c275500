# Cross build for the handheld: an ARM926EJ-S (ARMv5TE, little-endian, no FPU)
# with Debian's armel cross compiler, against a sysroot of Debian armel
# packages made by tools/armel-sysroot.sh. Programs run under qemu-arm.
#   cmake -S . -B build-arm -DCMAKE_TOOLCHAIN_FILE=cmake/armel-toolchain.cmake \
#         -DTOMBSLIDE_ARMEL_SYSROOT=$PWD/build-arm-sysroot
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

if(NOT TOMBSLIDE_ARMEL_SYSROOT)
  get_filename_component(TOMBSLIDE_ARMEL_SYSROOT
    ${CMAKE_CURRENT_LIST_DIR}/../build-arm-sysroot ABSOLUTE)
endif()
# try_compile projects read this file again and need the same sysroot.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TOMBSLIDE_ARMEL_SYSROOT)

set(CMAKE_C_COMPILER arm-linux-gnueabi-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabi-g++)
# armel's float ABI is soft already; said here so that the build never
# depends on the compiler's defaults.
# 64-bit file offsets and inode numbers: under qemu-arm the build machine's
# file systems answer stat and readdir with numbers too wide for the 32-bit
# calls, which then fail with EOVERFLOW.
set(TOMBSLIDE_ARMEL_FLAGS "-mcpu=arm926ej-s -mfloat-abi=soft -D_FILE_OFFSET_BITS=64")
set(CMAKE_C_FLAGS_INIT "${TOMBSLIDE_ARMEL_FLAGS}")
# -Wno-psabi: GCC notes, on every vector of 64-bit values, that GCC 7.1 changed
# how ARM passes them; all our code is built by the one compiler.
set(CMAKE_CXX_FLAGS_INIT "${TOMBSLIDE_ARMEL_FLAGS} -Wno-psabi")

# Libraries and headers come from the sysroot; the C and C++ runtimes from
# the cross compiler's own folders, which it searches whatever the sysroot.
set(CMAKE_SYSROOT ${TOMBSLIDE_ARMEL_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(ENV{PKG_CONFIG_SYSROOT_DIR} ${TOMBSLIDE_ARMEL_SYSROOT})
set(ENV{PKG_CONFIG_LIBDIR}
  ${TOMBSLIDE_ARMEL_SYSROOT}/usr/lib/arm-linux-gnueabi/pkgconfig:${TOMBSLIDE_ARMEL_SYSROOT}/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# CTest and the test programs run the ARM programs through this; -L makes the
# sysroot's loader and libraries the ones that are found.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -cpu arm926 -L ${TOMBSLIDE_ARMEL_SYSROOT})
