#!/bin/sh
# debian_source.sh -- fetches and unpacks a Debian source package without touching the system's apt setup
#
#   debian_source.sh PACKAGE CACHE_DIR
#
# The deb-src entries are derived from the system's own deb entries and kept in a private
# apt configuration under CACHE_DIR/apt, so the system's sources, lists and caches stay as
# they are. The unpacked tree ends up in CACHE_DIR/src/PACKAGE (the path is printed); a
# second call finds it there and fetches nothing.
set -eu
package=$1
cache=$(mkdir -p "$2" && cd "$2" && pwd)
tree=$cache/src/$package
if [ -f "$tree/.unpacked" ]; then
    echo "$tree"
    exit 0
fi

apt_dir=$cache/apt
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/archives/partial"

# The system's enabled deb entries, one-line and deb822 forms alike, turned into deb-src.
{
    for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$list" ] && sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$list"
    done
} >"$apt_dir/sources.list"
for sources in /etc/apt/sources.list.d/*.sources; do
    [ -f "$sources" ] || continue
    sed 's/^Types:.*/Types: deb-src/' "$sources" >"$apt_dir/sources.list.d/$(basename "$sources")"
done

apt_options="-o Dir::Etc::SourceList=$apt_dir/sources.list
  -o Dir::Etc::SourceParts=$apt_dir/sources.list.d
  -o Dir::State::Lists=$apt_dir/lists
  -o Dir::Cache=$apt_dir
  -o Dir::Cache::Archives=$apt_dir/archives
  -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
  -o APT::Sandbox::User=root"
# A failing third-party source must not stop Debian's own: only what apt then finds counts.
# shellcheck disable=SC2086
apt-get $apt_options -qq update >&2 || true

work=$cache/src/.fetch-$package
rm -rf "$work"
mkdir -p "$work"
# The newest version first; a mirror may lack one (seen with a security update's
# source), and then the next older version the archive lists is taken, saying so.
# shellcheck disable=SC2086
versions=$(apt-cache $apt_options showsrc "$package" | sed -n 's/^Version: //p' | sort -rV | uniq)
fetched=""
for version in $versions; do
    # shellcheck disable=SC2086
    if (cd "$work" && apt-get $apt_options -qq source --download-only "$package=$version" >&2); then
        fetched=$version
        break
    fi
    echo "debian_source.sh: $package $version could not be fetched; trying an older version" >&2
    rm -f "$work"/*
done
if [ -z "$fetched" ]; then
    echo "debian_source.sh: no source of $package could be fetched" >&2
    exit 1
fi
dsc=$(ls "$work"/*.dsc | head -n 1)
rm -rf "$tree"
# Debian's own patches (security fixes among them) are applied as in the archive's build.
dpkg-source -x "$dsc" "$work/tree" >&2
mv "$work/tree" "$tree"
mv "$work"/* "$cache/src/" 2>/dev/null || true
rm -rf "$work"
touch "$tree/.unpacked"
echo "$tree"
