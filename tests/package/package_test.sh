#!/bin/sh
# package_test.sh -- builds the .deb from a configured, built tree and checks it as a user's system would see it
#
# usage: package_test.sh BUILD_DIR SOURCE_DIR CPACK
#
# Checks the control fields, the exact file list and modes, hardened and stripped
# binaries, lintian (no error, no warning), the desktop entry and metainfo validators,
# then unpacks the package into a scratch root and runs both programs from there.
# Exits 77 (a skip) naming whatever tool is missing.
set -u

build=$1
source=$2
cpack=$3

missing=""
for tool in dpkg-deb dpkg-query dpkg-shlibdeps dpkg-parsechangelog lintian desktop-file-validate appstreamcli readelf; do
    command -v "$tool" >/dev/null 2>&1 || missing="$missing $tool"
done
if [ -n "$missing" ]; then
    echo "SKIP: not installed:$missing (Debian packages dpkg, dpkg-dev, lintian, desktop-file-utils, appstream, binutils; make package installs them)"
    exit 77
fi

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# A scratch directory inside the build tree, so that the package `make package`
# leaves in the build tree is never touched.
scratch=$(mktemp -d "$build/package-test.XXXXXX") || exit 1
trap 'rm -rf "$scratch"' EXIT

# CPack first runs the build tree's preinstall step, which only checks that
# everything is built: the suite runs after the build.
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log"
    echo "FAIL: cpack could not build the package"
    exit 1
fi
deb=$(ls "$scratch"/swayboard_*.deb 2>/dev/null | head -n 1)
if [ -z "$deb" ]; then
    cat "$scratch/cpack.log"
    echo "FAIL: cpack made no swayboard_*.deb"
    exit 1
fi
echo "package: $(basename "$deb"), $(wc -c <"$deb") bytes"

#----------------------------------------------------------------------------------
# Control fields
#----------------------------------------------------------------------------------

field() {
    dpkg-deb -f "$deb" "$1"
}

version=$(dpkg-parsechangelog -l "$source/packaging/changelog" -S Version)
expect_field() {
    [ "$(field "$1")" = "$2" ] || fail "$1 is '$(field "$1")', expected '$2'"
}
expect_field Package swayboard
expect_field Version "$version"
expect_field Architecture "$(dpkg --print-architecture)"
expect_field Section games
expect_field Priority optional
expect_field Recommends ffmpeg
echo "Depends: $(field Depends)"
echo "Recommends: $(field Recommends)"

# dpkg-shlibdeps ran when the libraries come with their minimum versions; the
# maintained SDL 1.2 is named on its own; ffmpeg is only recommended.
depends=", $(field Depends),"
for needed in "libc6 (>=" "libstdc++6 (>=" "libopenmpt0 (>=" "libpng16-16 (>=" ", libsdl1.2-compat-shim,"; do
    case $depends in
        *"$needed"*) ;;
        *) fail "Depends lacks '$needed': $depends" ;;
    esac
done
case $depends in
    *ffmpeg*) fail "ffmpeg is a dependency, but only the recorder's video output needs it" ;;
esac
field Maintainer | grep -q '^[^<]\+ <[^@>]\+@[^>]\+>$' || fail "Maintainer '$(field Maintainer)' is not 'name <address>'"
# A synopsis, then a long description of at least two paragraphs.
description=$(field Description)
synopsis=$(printf '%s\n' "$description" | head -n 1)
[ -n "$synopsis" ] && [ ${#synopsis} -le 80 ] || fail "synopsis '$synopsis' is empty or too long"
[ "$(printf '%s\n' "$description" | grep -c '^ \.$')" -ge 1 ] || fail "long description has no second paragraph"

# The man pages, the metainfo release and the package agree on the version.
grep -q "\"swayboard $version\"" "$source/packaging/swayboard.6" || fail "swayboard.6 names another version than $version"
grep -q "\"swayboard $version\"" "$source/packaging/swayboard-capture.1" || fail "swayboard-capture.1 names another version than $version"
grep -q "<release version=\"$version\"" "$source/packaging/swayboard.metainfo.xml" || fail "the metainfo's latest release is not $version"

#----------------------------------------------------------------------------------
# Files: exactly these, owned by root, with these modes
#----------------------------------------------------------------------------------

cat >"$scratch/expected" <<EOF
-rwxr-xr-x root/root ./usr/bin/swayboard-capture
-rwxr-xr-x root/root ./usr/games/swayboard
-rw-r--r-- root/root ./usr/share/applications/swayboard.desktop
-rw-r--r-- root/root ./usr/share/doc/swayboard/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/swayboard/copyright
-rw-r--r-- root/root ./usr/share/icons/hicolor/128x128/apps/swayboard.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/16x16/apps/swayboard.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/22x22/apps/swayboard.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/24x24/apps/swayboard.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/256x256/apps/swayboard.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/32x32/apps/swayboard.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/48x48/apps/swayboard.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/64x64/apps/swayboard.png
-rw-r--r-- root/root ./usr/share/lintian/overrides/swayboard
-rw-r--r-- root/root ./usr/share/man/man1/swayboard-capture.1.gz
-rw-r--r-- root/root ./usr/share/man/man6/swayboard.6.gz
-rw-r--r-- root/root ./usr/share/metainfo/example.swayboard.swayboard.metainfo.xml
EOF
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | LC_ALL=C sort >"$scratch/listed"
LC_ALL=C sort -o "$scratch/expected" "$scratch/expected"
if ! diff -u "$scratch/expected" "$scratch/listed"; then
    fail "the package's files differ from the list above (- expected, + in the package)"
fi
dpkg-deb -c "$deb" | awk '$1 ~ /^d/ && ($1 != "drwxr-xr-x" || $2 != "root/root") { print }' >"$scratch/odd_dirs"
[ -s "$scratch/odd_dirs" ] && fail "directories not root-owned 0755: $(cat "$scratch/odd_dirs")"

#----------------------------------------------------------------------------------
# Unpacked: hardened, stripped binaries; the desktop entry and metainfo validate
#----------------------------------------------------------------------------------

root=$scratch/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb cannot unpack the package"
for binary in "$root/usr/games/swayboard" "$root/usr/bin/swayboard-capture"; do
    name=$(basename "$binary")
    readelf -h "$binary" | grep -q 'Type: *DYN' || fail "$name is not position-independent"
    readelf -lW "$binary" | grep -q GNU_RELRO || fail "$name has no read-only relocations"
    readelf -dW "$binary" | grep -q 'BIND_NOW\|FLAGS.*NOW' || fail "$name does not bind at start-up (-z now)"
    readelf --dyn-syms -W "$binary" | grep -q '__stack_chk_fail' || fail "$name has no stack protector"
    readelf -SW "$binary" | grep -q '\.symtab\|\.debug_' && fail "$name is not stripped"
done
# The recorder formats its messages with printf's family, which the fortified build
# routes through the checking variants; the intro may well call none of them.
readelf --dyn-syms -W "$root/usr/bin/swayboard-capture" | grep -q '__[a-z]*_chk@' ||
    fail "swayboard-capture calls no fortified libc function: built without _FORTIFY_SOURCE?"
desktop-file-validate "$root/usr/share/applications/swayboard.desktop" || fail "desktop-file-validate rejects the desktop entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/example.swayboard.swayboard.metainfo.xml" ||
    fail "appstreamcli rejects the metainfo file"
grep -q '^Icon=swayboard$' "$root/usr/share/applications/swayboard.desktop" || fail "the desktop entry names another icon"
grep -q '<launchable type="desktop-id">swayboard.desktop</launchable>' \
    "$root/usr/share/metainfo/example.swayboard.swayboard.metainfo.xml" || fail "the metainfo launches another desktop entry"

# The copyright file in Debian's machine-readable format: the format line, and every
# licence a Files paragraph names ("A and B", "A or B") spelled out in a License
# paragraph of its own (lintian reads no such thing in a binary package).
copyright=$root/usr/share/doc/swayboard/copyright
head -n 1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "the copyright file does not open with the machine-readable format line"
awk '
    /^$/ { in_files = 0; next }
    /^Files:/ { in_files = 1; files++ }
    /^License:/ {
        sub(/^License: */, "")
        if (in_files) { gsub(/ (and|or) /, "\n"); n = split($0, names, "\n"); for (i = 1; i <= n; i++) used[names[i]] = 1 }
        else if (!in_files && !/^$/) defined[$0] = 1
    }
    END {
        if (!files) { print "no Files paragraph"; bad = 1 }
        for (name in used) if (!(name in defined)) { print "licence " name " has no License paragraph"; bad = 1 }
        exit bad
    }' "$copyright" || fail "the copyright file is incomplete"
grep -q '^Files: \*$' "$copyright" || fail "the copyright file has no Files: * paragraph"

#----------------------------------------------------------------------------------
# lintian: errors and warnings fail; the rest is shown
#----------------------------------------------------------------------------------

echo "lintian:"
lintian --fail-on error,warning --display-info --pedantic "$deb" >"$scratch/lintian" 2>&1
lintian_status=$?
sed 's/^/  /' "$scratch/lintian"
[ $lintian_status -eq 0 ] || fail "lintian reports errors or warnings (status $lintian_status)"

#----------------------------------------------------------------------------------
# Run from the scratch root
#----------------------------------------------------------------------------------

# The recorder writes one 800x600 frame.
frames=$scratch/frames
"$root/usr/bin/swayboard-capture" --frames 1 --seed 1 --png "$frames" || fail "the unpacked recorder failed"
png=$frames/frame-000001.png
if [ -f "$png" ]; then
    # PNG signature, the IHDR chunk's length and name, then width and height, big-endian.
    header=$(od -An -tx1 -N24 "$png" | tr -d ' \n')
    [ "$header" = "89504e470d0a1a0a0000000d494844520000032000000258" ] ||
        fail "frame-000001.png is not an 800x600 PNG (header $header)"
else
    fail "the unpacked recorder wrote no frame-000001.png"
fi

# The intro with no display to open exits 0 straight away; the bound only stops a
# hang from stalling the suite.
env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy \
    timeout 120 "$root/usr/games/swayboard"
status=$?
[ $status -eq 0 ] || fail "the unpacked intro without a display exited with status $status"

if [ $failures -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "package checks passed"
