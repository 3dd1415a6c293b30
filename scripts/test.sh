#!/usr/bin/env bash
# Checks the style first (scripts/check-style.sh: the layering, <windows.h>, formatting),
# then builds zentick and runs every test: unit, scenario and end-to-end tests, then all of them
# again built with clang under AddressSanitizer and UndefinedBehaviorSanitizer, then built
# as the Debian package (which is then checked, installed, run and removed), then a short
# fuzzing run and the Windows build.
# Installs the Debian packages it needs first. Usage: scripts/test.sh [--quick]
#   --quick  skips the sanitizer build and the fuzzing run.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
root=$(zt_root)
cd "$root"

quick=0
[ "${1:-}" = "--quick" ] && quick=1

zt_ensure_packages "${ZT_PACKAGES[@]}" clang libclang-rt-14-dev
jobs=$(nproc)
# Xvfb, openbox and xdotool were installed above: a test that misses one fails instead of
# skipping, so the end-to-end tests cannot pass without running.
export ZT_REQUIRE_X_TOOLS=1

zt_log "style: layering, <windows.h>, formatting"
scripts/check-style.sh

zt_log "build"
zt_build build -DZT_WERROR=ON
zt_log "tests"
(cd build && ctest --output-on-failure -j"$jobs" --timeout 300)

[ $quick -eq 1 ] && { zt_log "all tests passed (quick)"; exit 0; }

# The second compiler: clang builds the tree again, with AddressSanitizer and
# UndefinedBehaviorSanitizer, and every test runs on it.
zt_log "build with clang, AddressSanitizer and UndefinedBehaviorSanitizer"
# -O1 with line tables only, as the sanitizers advise: about half the compile time of -O2 -g,
# with stacks that still name every file and line.
CC=clang CXX=clang++ zt_build build-asan -DZT_WERROR=ON -DZT_SANITIZE=ON -DZT_BENCH=OFF \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only -DNDEBUG" \
    "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only -DNDEBUG"
zt_log "tests under the sanitizers (clang)"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure -j"$jobs" --timeout 600)

# The Debian package: the tree built again as dpkg-buildpackage builds the package
# (scripts/test-package.sh), with GCC as Debian does: the hardening flags of
# dpkg-buildflags, X11, FreeType, fontconfig and libpng linked shared, no benchmarks, every
# test run inside the build (dh_auto_test), so the tests pass with both ways of linking.
# Then lintian, AppStream, the launchers and the manual pages are checked, and the package
# is installed, its programs run, and removed. No debug information (-g0): the package's
# programs are stripped anyway, and it costs a fifth of the build.
zt_log "the Debian package: build, tests, checks, install, remove"
ZT_CMAKE_OPTIONS=-DZT_WERROR=ON DEB_CFLAGS_APPEND=-g0 DEB_CXXFLAGS_APPEND=-g0 \
    scripts/test-package.sh --tests build-deb

# Every fuzzer for 12 s on its seeds: under two minutes for all of them.
zt_log "fuzzing"
scripts/fuzz.sh 12

# Windows: the MinGW build and its tests under Wine (ZT_SKIP_WINDOWS=1 leaves it out).
if [ "${ZT_SKIP_WINDOWS:-0}" != 1 ]; then
    zt_log "Windows build and tests under Wine"
    scripts/test-windows.sh
fi
zt_log "all tests passed"
