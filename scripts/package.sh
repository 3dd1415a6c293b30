#!/usr/bin/env bash
# Builds the Debian package of zentick and prints its path.
#
#   scripts/package.sh [BUILD_DIR]     (default: build-deb)
#
# Configures BUILD_DIR for /usr with X11, FreeType, fontconfig and libpng linked as shared
# libraries (ZT_STATIC_DEPS=OFF), as Debian expects, builds it, and runs `cpack -G DEB`
# there: zentick_<version>_<arch>.deb, whose Depends dpkg-shlibdeps computes. A new
# BUILD_DIR is configured without tests and benchmarks; an existing one keeps its other
# options (scripts/test.sh packages its clang build so). CC and CXX choose the compiler.
# Installs the Debian packages it needs first.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
root=$(zt_root)
cd "$root"

dir=${1:-build-deb}
zt_ensure_packages "${ZT_PACKAGES[@]}" dpkg-dev file

options=(-DZT_STATIC_DEPS=OFF -DCMAKE_INSTALL_PREFIX=/usr)
[ -f "$dir/CMakeCache.txt" ] || options+=(-DZT_TESTS=OFF -DZT_BENCH=OFF)
zt_log "build for the package in $dir"
zt_build "$dir" "${options[@]}"
zt_log "package"
rm -f "$dir"/zentick_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
ls "$(cd "$dir" && pwd)"/zentick_*.deb
