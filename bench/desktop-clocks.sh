#!/usr/bin/env bash
# What a desktop clock costs: zentick beside xclock, dclock, oclock and buici-clock, each
# alone on one private Xvfb and measured the same way (clockbench's measure.sh), and
# beside the floor, a bare loop that only wakes once a second (bench/floor.c): the least
# that any clock ticking each second costs.
#
# zentick is measured as built by default (X11, FreeType, fontconfig and libpng linked
# in), as the Debian package builds it (those libraries shared, ZT_STATIC_DEPS=OFF), and
# with its seconds hidden (it then wakes once a minute).
#
# Prints one table (markdown): time to the first mapped window (median of 5 starts),
# client and X server CPU milliseconds per minute of ticking (schedstat), resident
# memory. The raw figures stay in $OUT (default build-bench/clockbench-results).
#
#   bench/desktop-clocks.sh
# Environment: BUILD (build tree, default build-bench; the shared-library build goes to
# $BUILD-shared), SECS (60: seconds of ticking measured), RUNS (5 starts), CLOCKBENCH
# (the clockbench folder, default ../shared/tools/clockbench beside the repository).
set -euo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
root=$(zt_root)
cd "$root"

BUILD=${BUILD:-$root/build-bench}
CLOCKBENCH=${CLOCKBENCH:-$root/../shared/tools/clockbench}
export SECS=${SECS:-60} RUNS=${RUNS:-5} SETTLE=${SETTLE:-3}
[ -x "$CLOCKBENCH/measure.sh" ] || { zt_log "no clockbench at $CLOCKBENCH (set CLOCKBENCH)"; exit 2; }

zt_ensure_packages "${ZT_PACKAGES[@]}" x11-apps dclock buici-clock libxdamage-dev libxfixes-dev

zt_log "build zentick (dependencies linked in) in $BUILD"
zt_build "$BUILD" -DZT_TESTS=OFF -DZT_BENCH=OFF -- zentick
zt_log "build zentick (dependencies shared, as packaged) in $BUILD-shared"
zt_build "$BUILD-shared" -DZT_TESTS=OFF -DZT_BENCH=OFF -DZT_STATIC_DEPS=OFF -- zentick
cc -O2 -Wall -o "$BUILD/floor" bench/floor.c

export OUT=${OUT:-$BUILD/clockbench-results}
rm -rf "$OUT"
mkdir -p "$OUT"
zt_start_xvfb
export XVFB_PID=$ZT_XVFB_PID
floor_pid=
trap 'kill "$XVFB_PID" 2>/dev/null || true; [ -n "$floor_pid" ] && kill "$floor_pid" 2>/dev/null || true' EXIT

# Each zentick run keeps its settings in a folder of its own; "noseconds" starts with the
# seconds hidden.
config() {
    local dir=$OUT/config-$1
    mkdir -p "$dir/zentick"
    if [ "$1" = noseconds ]; then
        printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Kelbrin\\QVZentick]\n"secondshide"=dword:00000001\n' \
            > "$dir/zentick/user.reg"
    fi
    echo "$dir"
}

measure() { "$CLOCKBENCH/measure.sh" "$@" >/dev/null || zt_log "$1: measuring failed"; }

zt_log "measuring, one clock at a time (about 90 s each)"
measure zentick env XDG_CONFIG_HOME="$(config static)" "$BUILD/app/zentick"
measure zentick-shared-libs env XDG_CONFIG_HOME="$(config shared)" "$BUILD-shared/app/zentick"
measure zentick-no-seconds env XDG_CONFIG_HOME="$(config noseconds)" "$BUILD/app/zentick"
measure oclock oclock
measure dclock-seconds dclock -seconds
measure xclock-digital xclock -digital -update 1
measure buici-clock buici-clock

# The floor: no window, so only its CPU and memory, over the same minute.
zt_log "floor"
sched_ns() { awk '{print $1}' "/proc/$1/schedstat"; }
"$BUILD/floor" &
floor_pid=$!
sleep "$SETTLE"
t0=$EPOCHREALTIME c0=$(sched_ns $floor_pid) x0=$(sched_ns "$XVFB_PID")
sleep "$SECS"
t1=$EPOCHREALTIME c1=$(sched_ns $floor_pid)
rss=$(awk '/^VmRSS/{print $2}' "/proc/$floor_pid/status")
kill "$floor_pid"
floor_pid=
awk -v t0="$t0" -v t1="$t1" -v c0="$c0" -v c1="$c1" -v rss="$rss" 'BEGIN{
    k = 60 / (t1 - t0)
    printf "floor\tNA\tNA\tNA\t%.1f\tNA\tNA\tNA\t%s\n", (c1 - c0) / 1e6 * k, rss }' >> "$OUT/summary.tsv"

# summary.tsv: name, map ms, paint ms, client CPU (ticks, schedstat), X CPU (ticks,
# schedstat), other, VmRSS KiB, ...
echo
echo "| clock | first window (ms) | client CPU (ms/min) | X server CPU (ms/min) | memory (RSS, MB) |"
echo "|---|---:|---:|---:|---:|"
awk -F'\t' '{
    map = $2 == "NA" ? "—" : $2
    x = $7 == "NA" ? "—" : sprintf("%.1f", $7)
    printf "| %s | %s | %.1f | %s | %.2f |\n", $1, map, $5, x, $9 / 1024 }' "$OUT/summary.tsv"
