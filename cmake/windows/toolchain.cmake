# toolchain.cmake -- cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix threads)
#
#   cmake -S . -B build-windows/intro -DCMAKE_TOOLCHAIN_FILE=cmake/windows/toolchain.cmake \
#         -DSWAYBOARD_WINDOWS_PREFIX=build-windows/deps/prefix
#
# The libraries are found in the prefix that tools/deps/build_windows_deps.sh fills, and
# in the cross compiler's own tree (zlib from libz-mingw-w64-dev); never in the build machine's.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(SWAYBOARD_WINDOWS_HOST x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SWAYBOARD_WINDOWS_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SWAYBOARD_WINDOWS_HOST}-g++-posix)
set(CMAKE_ASM_COMPILER ${SWAYBOARD_WINDOWS_HOST}-gcc-posix)
set(CMAKE_RC_COMPILER ${SWAYBOARD_WINDOWS_HOST}-windres)

# The prefix is handed on to the compiler checks' own projects too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES SWAYBOARD_WINDOWS_PREFIX)
set(CMAKE_FIND_ROOT_PATH ${SWAYBOARD_WINDOWS_PREFIX} /usr/${SWAYBOARD_WINDOWS_HOST})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# zlib is linked in, as libpng is: its DLL would be one more file to ship.
set(ZLIB_USE_STATIC_LIBS ON)

# pkg-config answers from the prefix alone.
set(ENV{PKG_CONFIG_LIBDIR} ${SWAYBOARD_WINDOWS_PREFIX}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
