# Cross build for the handheld's CPU with Debian's armel cross compiler,
# against a sysroot of Debian armel packages made by setup/armel-sysroot.sh.
# Programs run under qemu-arm.
#   cmake -S . -B build-arm -DCMAKE_TOOLCHAIN_FILE=cmake/armel-toolchain.cmake \
#         -DTOMBSLIDE_ARMEL_SYSROOT=$PWD/build-arm-sysroot
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
include(${CMAKE_CURRENT_LIST_DIR}/arm926.cmake)

if(NOT TOMBSLIDE_ARMEL_SYSROOT)
  get_filename_component(TOMBSLIDE_ARMEL_SYSROOT
    ${CMAKE_CURRENT_LIST_DIR}/../build-arm-sysroot ABSOLUTE)
endif()
# try_compile projects read this file again and need the same sysroot.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TOMBSLIDE_ARMEL_SYSROOT)

set(CMAKE_C_COMPILER arm-linux-gnueabi-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabi-g++)
# The options every target of the project is built with (CMakeLists.txt adds
# them, so that a change rebuilds). The float ABI is armel's default already;
# said so that the build never depends on the compiler's defaults. 64-bit file
# offsets and inode numbers: under qemu-arm the build machine's file systems
# answer stat and readdir with numbers too wide for the 32-bit calls, which
# then fail with EOVERFLOW. -Wno-psabi: GCC notes, on every vector of 64-bit
# values, that GCC 7.1 changed how ARM passes them; all our code is built by
# the one compiler.
set(TOMBSLIDE_TARGET_OPTIONS ${ARM926_FLAGS} -D_FILE_OFFSET_BITS=64
  $<$<COMPILE_LANGUAGE:CXX>:-Wno-psabi>)
set(TOMBSLIDE_TARGET_LINK_OPTIONS ${ARM926_FLAGS})

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
