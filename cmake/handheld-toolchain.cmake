# The handheld package's static build over musl and the static SDL stack that
# handheld/deps.sh builds (it prints the folder):
#   cmake -S . -B build-handheld/game -DCMAKE_TOOLCHAIN_FILE=cmake/handheld-toolchain.cmake \
#         -DTOMBSLIDE_HANDHELD_PREFIX=$(bash handheld/deps.sh build-handheld)
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
include(${CMAKE_CURRENT_LIST_DIR}/arm926.cmake)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TOMBSLIDE_HANDHELD_PREFIX)
get_filename_component(work ${TOMBSLIDE_HANDHELD_PREFIX} DIRECTORY)
set(target arm-linux-gnueabi)

# C through deps.sh's musl-gcc (the cross gcc, statically against musl). C++
# by the cross g++ with the C++ library's headers (the <cstdio> kind) first,
# then musl's and the kernel's; those headers were configured for glibc and
# ask for glibc's version: none.
set(CMAKE_C_COMPILER ${work}/bin/musl-gcc)
set(CMAKE_CXX_COMPILER ${target}-g++)
file(GLOB cxxinc /usr/${target}/include/c++/*)
execute_process(COMMAND ${target}-gcc -print-file-name=include OUTPUT_VARIABLE gccinc OUTPUT_STRIP_TRAILING_WHITESPACE)
set(CMAKE_CXX_FLAGS_INIT "-nostdinc -isystem ${cxxinc} -isystem ${cxxinc}/${target} \
-isystem ${work}/musl/include -isystem ${work}/musl/kernel -isystem ${gccinc} '-D__GLIBC_PREREQ(a,b)=0'")
# No exceptions, no RTTI and no thread-safe statics: the game needs nothing of
# the C++ runtime. C++ programs are linked by the C driver, so that the cross
# compiler's C++ library (built for another C library) never comes in and the
# link fails if the game ever needs it. The -D flags are SDL's own.
set(CMAKE_CXX_LINK_EXECUTABLE "${CMAKE_C_COMPILER} <LINK_FLAGS> <OBJECTS> -o <TARGET> <LINK_LIBRARIES>")
set(TOMBSLIDE_TARGET_OPTIONS ${ARM926_FLAGS} -Os -ffunction-sections -fdata-sections
  $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions> $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti>
  $<$<COMPILE_LANGUAGE:CXX>:-fno-threadsafe-statics> -D_GNU_SOURCE=1 -D_REENTRANT)
set(TOMBSLIDE_TARGET_LINK_OPTIONS ${ARM926_FLAGS} -Wl,--gc-sections)
