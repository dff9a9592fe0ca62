#!/bin/sh
# build_web_deps.sh -- builds classic SDL 1.2 and libopenmpt for WebAssembly from Debian's source packages
#
#   build_web_deps.sh BUILD_DIR
#
# Both end up as static libraries in BUILD_DIR/deps/prefix, each built once: a stamp file
# per library (BUILD_DIR/deps/stamp-*) makes later calls return at once. The sources come
# through debian_source.sh into BUILD_DIR/deps/src, with Debian's patches, and then our own
# (our_patches.sh). Needs Debian's emscripten.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
deps=$(mkdir -p "$1/deps" && cd "$1/deps" && pwd)
prefix=$deps/prefix
jobs=${JOBS:-2}
# Debian's emscripten runs its JavaScript tools with node and needs the archive's node modules.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
mkdir -p "$prefix"

# build_library NAME: configures and builds one library unless its stamp is there, timing it.
build_library() {
    name=$1
    # The stamp holds the digest of our own patch series: a changed series builds again.
    digest=$(sh "$here/our_patches.sh" digest "$name")
    [ -f "$deps/stamp-$name" ] && [ "$(cat "$deps/stamp-$name")" = "$digest" ] && return 0
    unpacked=$(sh "$here/debian_source.sh" "$name" "$deps")
    # Our patches go onto a fresh copy, after Debian's, so the unpacked cache stays as fetched.
    source_tree=$deps/build/$name-source
    work=$deps/build/$name
    rm -rf "$work" "$source_tree"
    mkdir -p "$work"
    cp -a "$unpacked" "$source_tree"
    sh "$here/our_patches.sh" apply "$name" "$source_tree"
    # NOTE: unpacking leaves the shipped autotools outputs with times in unpacking order, and
    # make would then try to regenerate them with automake. They are up to date as shipped:
    # every input is made older than aclocal.m4, and that older than what is made from it.
    now=$(date +%s)
    find "$source_tree" -type f -exec touch -d "@$((now - 120))" {} +
    find "$source_tree" -name aclocal.m4 -exec touch -d "@$((now - 60))" {} +
    find "$source_tree" \( -name configure -o -name Makefile.in -o -name config.h.in \) -exec touch -d "@$now" {} +
    started=$(date +%s)
    echo "build_web_deps.sh: building $name for WebAssembly (a few minutes)" >&2
    (cd "$work" && "configure_$(echo "$name" | tr -d '.0-9')" "$source_tree" && nice -n 5 emmake make -j"$jobs" &&
        emmake make install) >"$deps/build-$name.log" 2>&1 || {
        echo "build_web_deps.sh: $name failed; see $deps/build-$name.log" >&2
        tail -n 30 "$deps/build-$name.log" >&2
        exit 1
    }
    echo "build_web_deps.sh: $name built in $(($(date +%s) - started)) s" >&2
    rm -rf "$source_tree"
    echo "$digest" >"$deps/stamp-$name"
}

# NOTE: SDL 1.2's config.sub predates emscripten, so the host is given as plain 32-bit
# Linux and every backend that would reach for the real system is turned off. Only the
# dummy video driver is left: the frames stay in plain memory for the page to show.
configure_libsdl() {
    emconfigure "$1/configure" --host=i686-pc-linux-gnu --prefix="$prefix" --disable-shared --enable-static \
        --disable-threads --disable-pthreads --disable-audio --disable-joystick --disable-cdrom --disable-loadso \
        --disable-assembly --disable-nasm --disable-altivec --disable-ipod --disable-video-x11 --disable-dga \
        --disable-video-dga --disable-video-fbcon --disable-video-directfb --disable-video-ps2gs \
        --disable-video-ps3 --disable-video-ggi --disable-video-svga --disable-video-vgl --disable-video-wscons \
        --disable-video-aalib --disable-video-caca --disable-video-qtopia --disable-video-picogui \
        --disable-video-nanox --disable-video-photon --disable-video-xbios --disable-video-gem \
        --disable-video-opengl --disable-osmesa-shared --disable-input-events --disable-input-tslib \
        --disable-oss --disable-alsa --disable-esd --disable-pulseaudio --disable-arts --disable-nas \
        --disable-diskaudio --disable-dummyaudio --disable-rpath --disable-stdio-redirect \
        --enable-video-dummy
}

# No optional codecs: the intro plays an XM module, which libopenmpt reads on its own. Its
# config.sub does not know emscripten either, so the host is given as for SDL.
configure_libopenmpt() {
    emconfigure "$1/configure" --host=i686-pc-linux-gnu --prefix="$prefix" --disable-shared \
        --enable-static --disable-openmpt123 --disable-examples --disable-tests --disable-doxygen-doc \
        --without-zlib --without-mpg123 --without-ogg --without-vorbis --without-vorbisfile --without-pulseaudio \
        --without-portaudio --without-portaudiocpp --without-sdl2 --without-sndfile --without-flac \
        CXXFLAGS="-O2" CFLAGS="-O2"
}

build_library libsdl1.2
build_library libopenmpt
echo "$prefix"
