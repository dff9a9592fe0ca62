#!/bin/sh
# our_patches.sh -- the few changes of our own to a library's source, applied after Debian's
#
#   our_patches.sh digest PACKAGE      prints what identifies the package's series (nothing without one)
#   our_patches.sh apply PACKAGE TREE  applies the series, in order, to an unpacked copy of the source
#
# A package's patches live in patches/PACKAGE beside this script, listed in the order they
# apply by patches/PACKAGE/series; each carries a DEP-3 header saying what it does and why.
# The dependency scripts keep the digest in their stamp, so a changed series rebuilds; a
# package with no series has an empty digest, as the stamps of builds before any patch.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
action=$1
package=$2
dir=$here/patches/$package

case $action in
digest)
    [ -f "$dir/series" ] || exit 0
    (cd "$dir" && cat series $(cat series)) | sha256sum | cut -d' ' -f1
    ;;
apply)
    tree=$3
    [ -f "$dir/series" ] || exit 0
    for patch in $(cat "$dir/series"); do
        echo "our_patches.sh: applying $patch to $package" >&2
        patch -d "$tree" -p1 --forward --batch --quiet <"$dir/$patch" || {
            echo "our_patches.sh: $patch does not apply to $package" >&2
            exit 1
        }
    done
    ;;
*)
    echo "usage: our_patches.sh digest|apply PACKAGE [TREE]" >&2
    exit 2
    ;;
esac
