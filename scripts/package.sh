#!/usr/bin/env bash
# Builds the Debian package of zentick with dpkg-buildpackage and prints its path.
#
#   scripts/package.sh [OUTPUT_DIR]     (default: build-deb)
#
# Copies the source (the files git knows, or without git the tree less its build folders)
# to OUTPUT_DIR/zentick-<version>/ and runs `dpkg-buildpackage -us -uc -b` there, so the
# working tree stays clean: debian/rules configures with CMake for /usr, with X11,
# FreeType, fontconfig and libpng linked as shared libraries and the hardening flags of
# dpkg-buildflags, builds, runs the tests, installs and packages. zentick_<version>_<arch>.deb
# (its Depends computed by dpkg-shlibdeps) and its .buildinfo and .changes land in
# OUTPUT_DIR, the build tree in OUTPUT_DIR/zentick-<version>/obj-<triplet>/.
#
# The tests run only when DEB_BUILD_OPTIONS is set without nocheck (scripts/test.sh runs
# them so); by default the package is built without them. CC and CXX choose the compiler,
# ZT_CMAKE_OPTIONS adds CMake options. Installs the Debian packages it needs first.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
root=$(zt_root)
cd "$root"

out=${1:-build-deb}
zt_ensure_packages "${ZT_PACKAGES[@]}"

# One version: the changelog's must be the project's.
version=$(dpkg-parsechangelog -S Version)
project=$(sed -n 's/^project(zentick VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
if [ "$version" != "$project" ]; then
    zt_log "debian/changelog says $version, CMakeLists.txt $project: add a changelog entry"
    exit 1
fi

mkdir -p "$out"
out=$(cd "$out" && pwd)
stage="$out/zentick-$version"
rm -rf "$stage"
mkdir -p "$stage"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard |
        tar --null --ignore-failed-read -T - -cf - 2>/dev/null | tar -xf - -C "$stage"
else
    tar --exclude='./build*' -cf - . | tar -xf - -C "$stage"
fi

if [ -z "${DEB_BUILD_OPTIONS:-}" ]; then
    export DEB_BUILD_OPTIONS="nocheck parallel=$(nproc)"
fi
if [[ " $DEB_BUILD_OPTIONS " == *" nocheck "* ]]; then
    export DEB_BUILD_PROFILES="${DEB_BUILD_PROFILES:+$DEB_BUILD_PROFILES }nocheck"
fi
rm -f "$out"/zentick_"$version"_*.deb "$out"/zentick-dbgsym_"$version"_*.deb
zt_log "dpkg-buildpackage in $stage ($DEB_BUILD_OPTIONS)"
# The steps are stamped with the seconds since the start (configured, built, tested,
# installed, packaged), to see what costs.
start=$SECONDS
(cd "$stage" && dpkg-buildpackage -us -uc -b 2>&1) | while IFS= read -r line; do
    case $line in
        "   dh_"* | " dpkg-"* | "-- Build files have been written"* | "[100%] Built target"* | \
            *"tests passed"* | "-- Install configuration"* | "dpkg-deb: building"*)
            printf '[%4d s] %s\n' $((SECONDS - start)) "$line" ;;
        *) printf '%s\n' "$line" ;;
    esac
done >&2
ls "$out"/zentick_"$version"_*.deb
