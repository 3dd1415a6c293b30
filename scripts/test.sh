#!/usr/bin/env bash
# Builds zentick and runs every test: unit, scenario and end-to-end tests, then all of them
# again under AddressSanitizer and UndefinedBehaviorSanitizer and built with clang, then
# builds, installs, runs and removes the Debian package, then a short fuzzing run.
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

zt_log "build"
zt_build build -DZT_WERROR=ON
zt_log "tests"
(cd build && ctest --output-on-failure -j"$jobs" --timeout 300)

[ $quick -eq 1 ] && { zt_log "all tests passed (quick)"; exit 0; }

zt_log "build with AddressSanitizer and UndefinedBehaviorSanitizer"
# -O1 with line tables only, as the sanitizers advise: about half the compile time of -O2 -g,
# with stacks that still name every file and line.
zt_build build-asan -DZT_WERROR=ON -DZT_SANITIZE=ON -DZT_BENCH=OFF \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"
zt_log "tests under the sanitizers"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure -j"$jobs" --timeout 600)

# The second compiler: clang builds the tree again (without benchmarks) and runs its tests.
# This tree links X11, FreeType, fontconfig and libpng shared, as the Debian package does,
# so the tests pass with both ways of linking; the package is made from it below.
zt_log "build with clang (system libraries shared)"
# No debug information: the package strips it anyway, and it costs a fifth of the build.
CC=clang CXX=clang++ zt_build build-clang -DZT_WERROR=ON -DZT_BENCH=OFF -DZT_STATIC_DEPS=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -DNDEBUG" \
    "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -DNDEBUG"
zt_log "tests (clang)"
(cd build-clang && ctest --output-on-failure -j"$jobs" --timeout 300)

# The Debian package: made by scripts/package.sh, installed with dpkg -i, its programs run
# from the installed paths (the clock under Xvfb shows its window and ends with status 0 on
# SIGTERM), removed with dpkg -r. Installing needs root (or sudo).
check_package() (
    set -euo pipefail
    local deb=$1 sudo=() failed=0
    [ "$(id -u)" -eq 0 ] || sudo=(sudo -n)
    fail() { zt_log "package: $*"; failed=1; }
    local depends
    depends=$(dpkg-deb -f "$deb" Depends)
    for lib in libx11-6 libfreetype6 libfontconfig1 libpng16-16; do
        [[ "$depends" == *"$lib"* ]] || fail "no dependency on $lib (Depends: $depends)"
    done
    "${sudo[@]}" dpkg -i "$deb" >/dev/null
    trap '"${sudo[@]}" dpkg -r zentick >/dev/null 2>&1 || true; [ -n "${ZT_XVFB_PID:-}" ] && kill "$ZT_XVFB_PID" 2>/dev/null || true' EXIT
    local programs=(zentick zentick-render)
    dpkg -L zentick | grep -qx /usr/bin/zentick-hexedit && programs+=(zentick-hexedit)
    for program in "${programs[@]}"; do
        [ -x "/usr/bin/$program" ] || fail "no /usr/bin/$program"
        gzip -t "/usr/share/man/man1/$program.1.gz" 2>/dev/null || fail "no manual page $program(1)"
        "/usr/bin/$program" --version | grep -q "$program.*[0-9]" || fail "$program --version"
        "/usr/bin/$program" --help | grep -q "Usage\|usage" || fail "$program --help"
    done
    for file in /usr/share/zentick/zentick.html /usr/share/applications/zentick.desktop \
        /usr/share/icons/hicolor/48x48/apps/zentick.png; do
        [ -f "$file" ] || fail "no $file"
    done
    ldd /usr/bin/zentick | grep -q 'libX11\.so' || fail "zentick does not link libX11 shared"
    local tmp
    tmp=$(mktemp -d)
    /usr/bin/zentick-render --time 13:47:05 --out "$tmp/clock.png" && [ -s "$tmp/clock.png" ] ||
        fail "zentick-render drew nothing"
    zt_start_xvfb
    XDG_CONFIG_HOME="$tmp" /usr/bin/zentick &
    local clock=$! window=""
    for _ in $(seq 1 100); do
        window=$(xdotool search --onlyvisible --limit 1 --class zentick 2>/dev/null | head -n 1) || true
        [ -n "$window" ] && break
        sleep 0.05
    done
    [ -n "$window" ] || fail "the installed clock showed no window"
    kill -TERM "$clock"
    local status=0
    wait "$clock" || status=$?
    [ "$status" -eq 0 ] || fail "the installed clock ended with status $status on SIGTERM"
    rm -rf "$tmp"
    "${sudo[@]}" dpkg -r zentick >/dev/null
    [ ! -e /usr/bin/zentick ] || fail "dpkg -r left /usr/bin/zentick"
    [ "$failed" -eq 0 ]
)
zt_log "Debian package: build, install, run, remove"
deb=$(CC=clang CXX=clang++ scripts/package.sh build-clang | tail -n 1)
if [ "$(id -u)" -eq 0 ] || sudo -n true 2>/dev/null; then
    check_package "$deb"
else
    zt_log "not root and no sudo: $deb was built but not installed"
fi

# Every fuzzer for 12 s on its seeds: under two minutes for all of them.
zt_log "fuzzing"
scripts/fuzz.sh 12

# Windows: the MinGW build and its tests under Wine (ZT_SKIP_WINDOWS=1 leaves it out).
if [ "${ZT_SKIP_WINDOWS:-0}" != 1 ]; then
    zt_log "Windows build and tests under Wine"
    scripts/test-windows.sh
fi
zt_log "all tests passed"
