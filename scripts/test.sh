#!/usr/bin/env bash
# Builds zentick and runs every test: unit, scenario and end-to-end tests, then all of them
# again under AddressSanitizer and UndefinedBehaviorSanitizer, then a short fuzzing run.
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

zt_log "build"
zt_build build -DZT_WERROR=ON
zt_log "tests"
(cd build && ctest --output-on-failure -j"$jobs" --timeout 300)

[ $quick -eq 1 ] && { zt_log "all tests passed (quick)"; exit 0; }

zt_log "build with AddressSanitizer and UndefinedBehaviorSanitizer"
zt_build build-asan -DZT_WERROR=ON -DZT_SANITIZE=ON -DZT_BENCH=OFF
zt_log "tests under the sanitizers"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure -j"$jobs" --timeout 600)

if [ -f fuzz/CMakeLists.txt ]; then
    zt_log "fuzzing"
    CC=clang CXX=clang++ zt_build build-fuzz -DZT_WERROR=ON -DZT_FUZZ=ON -DZT_TESTS=OFF -DZT_BENCH=OFF -DZT_X11=OFF \
        -- zt_fuzzers
    for target in build-fuzz/fuzz/*_fuzz; do
        [ -x "$target" ] || continue
        name=$(basename "$target" _fuzz)
        corpus=$(mktemp -d)
        [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$corpus/"
        "$target" -max_total_time=20 -print_final_stats=0 "$corpus" 2>&1 | tail -n 2
        rm -rf "$corpus"
    done
fi
zt_log "all tests passed"
