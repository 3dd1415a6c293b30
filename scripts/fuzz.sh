#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/, with clang) and runs each for a while on a copy of
# its seed corpus (fuzz/corpus/<name>), so the seeds in the tree stay as they are.
# Usage: scripts/fuzz.sh [seconds per target, default 60] [target names...]
#   Without names, every target runs. A crash stops the run with a failure; the input that
#   caused it is kept as <build>/crashes/<name>/crash-<hash> (add it to the parser's own
#   *_test.cpp as a regression test). Each target's executions and coverage are printed
#   when it ends. The build folder is build-fuzz, or $ZT_FUZZ_BUILD_DIR.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
root=$(zt_root)
cd "$root"

seconds=${1:-60}
shift || true
case "$seconds" in '' | *[!0-9]*) zt_log "seconds per target must be a number: $seconds"; exit 2 ;; esac

zt_ensure_packages "${ZT_PACKAGES[@]}" clang libclang-rt-14-dev
build=${ZT_FUZZ_BUILD_DIR:-build-fuzz}
CC=clang CXX=clang++ zt_build "$build" -DZT_WERROR=ON -DZT_FUZZ=ON -DZT_TESTS=OFF -DZT_BENCH=OFF \
    -DZT_X11=OFF -- zt_fuzzers

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for target in "$build"/fuzz/*_fuzz; do
        [ -x "$target" ] && targets+=("$(basename "$target" _fuzz)")
    done
fi

for name in "${targets[@]}"; do
    target="$build/fuzz/${name}_fuzz"
    [ -x "$target" ] || { zt_log "no fuzz target $name"; exit 2; }
    corpus=$(mktemp -d)
    crashes="$build/crashes/$name"
    mkdir -p "$crashes"
    [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$corpus/"
    zt_log "fuzzing $name for ${seconds} s"
    log=$(mktemp)
    status=0
    "$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$crashes/" \
        "$corpus" >"$log" 2>&1 || status=$?
    rm -rf "$corpus"
    if [ $status -ne 0 ]; then
        tail -n 60 "$log"
        rm -f "$log"
        zt_log "$name failed; the input is in $crashes/"
        exit 1
    fi
    # The last status line (executions, coverage, corpus) and the final counts.
    last=$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    printf '%-13s %10s runs %7s/s   %s\n' "$name" "${runs:-?}" "${speed:-?}" \
        "$(echo "$last" | grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[0-9a-zA-Z]+' || true)"
    rm -f "$log"
done
