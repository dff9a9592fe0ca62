#!/bin/sh
# build_windows_deps.sh -- cross-builds SDL 1.2, libopenmpt and libpng for 64-bit Windows from Debian's sources
#
#   build_windows_deps.sh DEPS_DIR
#
# Each library is built once into DEPS_DIR/prefix; a stamp file per library
# (DEPS_DIR/stamps/PACKAGE) makes later runs skip it. The sources come from Debian's
# archive through debian_source.sh (cached in DEPS_DIR/src), with Debian's patches and then
# our own (our_patches.sh): the same SDL series as the page's, since the recorder here draws
# on the dummy driver too.
# SDL is a DLL (it is LGPL: users may swap it) with its static SDLmain; libopenmpt
# (no optional codecs) and libpng (on the zlib of libz-mingw-w64-dev) are static.
set -eu
host=x86_64-w64-mingw32
here=$(cd "$(dirname "$0")" && pwd)
deps=$(mkdir -p "$1" && cd "$1" && pwd)
prefix=$deps/prefix
mkdir -p "$prefix" "$deps/stamps" "$deps/build"

# The build machine's flags (Debian's hardening among them: -z relro is not for the
# PE linker) must not leak into the cross builds.
unset CPPFLAGS CFLAGS CXXFLAGS LDFLAGS DEB_BUILD_MAINT_OPTIONS || true
export CC=$host-gcc-posix CXX=$host-g++-posix
export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_PATH=
jobs=${JOBS:-2}

# build PACKAGE CONFIGURE_ARGUMENTS...: configures, builds and installs one library in a
# copy of its unpacked source, unless its stamp says it is already in the prefix.
build() {
    package=$1
    shift
    stamp=$deps/stamps/$package
    # The stamp holds the digest of our own patch series: a changed series builds again.
    digest=$(sh "$here/our_patches.sh" digest "$package")
    [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$digest" ] && return 0
    source=$(sh "$here/debian_source.sh" "$package" "$deps")
    tree=$deps/build/$package
    rm -rf "$tree"
    cp -a "$source" "$tree"
    # Our patches go onto the copy, after Debian's, so the unpacked cache stays as fetched.
    sh "$here/our_patches.sh" apply "$package" "$tree"
    # The unpacked time stamps can make make regenerate the autotools files (seen with
    # libopenmpt), which needs automake: the generated files are made newer than their sources.
    now=$(date +%s)
    find "$tree" -name aclocal.m4 -exec touch -d "@$now" {} +
    find "$tree" \( -name configure -o -name Makefile.in -o -name config.h.in \) -exec touch -d "@$((now + 1))" {} +
    echo "build_windows_deps.sh: building $package for $host" >&2
    started=$(date +%s)
    (
        cd "$tree"
        ./configure --host=$host --prefix="$prefix" "$@" >configure.log 2>&1 ||
            { tail -n 30 configure.log >&2; exit 1; }
        nice -n 5 make -j"$jobs" >make.log 2>&1 || { tail -n 40 make.log >&2; exit 1; }
        make install >install.log 2>&1 || { tail -n 20 install.log >&2; exit 1; }
    )
    echo "build_windows_deps.sh: $package took $(($(date +%s) - started)) s" >&2
    rm -rf "$tree"
    echo "$digest" >"$stamp"
}

# Classic SDL 1.2.15: the Windows GDI and DirectX drivers, winmm and DirectSound sound,
# and the disk and dummy drivers the tests use. Output stays on the console: SDLmain would
# otherwise send it to stdout.txt and stderr.txt, hiding the recorder's messages.
build libsdl1.2 --enable-shared --disable-static --disable-rpath --disable-nasm --disable-stdio-redirect \
    CFLAGS=-O2
# zlib is Debian's mingw build, in the cross compiler's own search path.
build libpng1.6 --disable-shared --enable-static --disable-tools CFLAGS=-O2
# Only what the intro uses: the library, no player, examples, tests or codecs.
build libopenmpt --disable-shared --enable-static --disable-openmpt123 --disable-examples \
    --disable-tests --disable-doxygen-doc --without-zlib --without-mpg123 --without-ogg \
    --without-vorbis --without-vorbisfile --without-portaudio --without-portaudiocpp \
    --without-pulseaudio --without-sdl2 --without-sndfile --without-flac \
    CXXFLAGS=-O2 CFLAGS=-O2

echo "$prefix"
