#!/usr/bin/env bash
# What giving screen readers the clock's time costs: the clock built without AT-SPI
# (-DZT_ATSPI=OFF) beside the clock as built by default, each alone on a private Xvfb, on
# a desktop
#   - without any bus (no session bus, no accessibility bus),
#   - with a session bus whose accessibility launcher does not run,
#   - with the accessibility bus (at-spi-bus-launcher, accessibility on) and nobody
#     listening,
#   - with the accessibility bus and a listener of the clock's name changes (what Orca
#     registers), idle otherwise.
# For each: the time to the first mapped window (median of RUNS starts, clockbench's
# xprobe), then MEMSETTLE s (15) after a start, over SECS s (60): wake-ups (voluntary
# context switches) and CPU (schedstat) per minute, and the resident set (Rss, Pss,
# private dirty) from /proc/PID/smaps_rollup. Prints one table (markdown).
#
#   bench/accessibility-cost.sh
# Environment: BUILD (default build-bench; the build without AT-SPI goes to
# $BUILD-noatspi), SECS, RUNS, MEMSETTLE, CLOCKBENCH (as bench/desktop-clocks.sh).
set -euo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
root=$(zt_root)
cd "$root"

BUILD=${BUILD:-$root/build-bench}
CLOCKBENCH=${CLOCKBENCH:-$root/../shared/tools/clockbench}
SECS=${SECS:-60}
RUNS=${RUNS:-5}
MEMSETTLE=${MEMSETTLE:-15}
LAUNCHER=/usr/libexec/at-spi-bus-launcher

zt_ensure_packages "${ZT_PACKAGES[@]}" libxdamage-dev libxfixes-dev
build() {
    local dir=$1; shift
    local options=("$@")
    [ -f "$dir/CMakeCache.txt" ] || options+=(-DZT_TESTS=OFF -DZT_BENCH=OFF)
    zt_build "$dir" "${options[@]}" -- zentick
}
zt_log "build zentick in $BUILD, and without AT-SPI in $BUILD-noatspi"
build "$BUILD" -DZT_ATSPI=ON
build "$BUILD-noatspi" -DZT_ATSPI=OFF
XPROBE=${XPROBE:-${TMPDIR:-/tmp}/clockbench-xprobe}
[ -x "$XPROBE" ] && [ "$XPROBE" -nt "$CLOCKBENCH/xprobe.c" ] ||
    gcc -O2 -o "$XPROBE" "$CLOCKBENCH/xprobe.c" -lX11 -lXext -lXdamage -lXfixes

OUT=$(mktemp -d /tmp/zt-a11y-bench-XXXXXX)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$OUT"
}
trap cleanup EXIT
zt_start_xvfb
pids+=("$ZT_XVFB_PID")

# A desktop of one of the four kinds: sets the environment the clock runs in.
desktop() {
    export XDG_RUNTIME_DIR=$OUT/runtime-$1 XDG_CONFIG_HOME=$OUT/config-$1
    mkdir -p -m 0700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
    unset DBUS_SESSION_BUS_ADDRESS
    [ "$1" = none ] && return 0
    DBUS_SESSION_BUS_ADDRESS=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$OUT/bus.pid")
    export DBUS_SESSION_BUS_ADDRESS
    pids+=("$(cat "$OUT/bus.pid")")
    [ "$1" = session ] && return 0
    "$LAUNCHER" --launch-immediately >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do xprop -root AT_SPI_BUS >/dev/null 2>&1 && break; sleep 0.05; done
    [ "$1" = bus ] && return 0
    # A listener of the clock's name changes, otherwise idle, as a screen reader is.
    /usr/bin/python3 -c '
import pyatspi
pyatspi.Registry.registerEventListener(lambda e: None, "object:property-change:accessible-name")
pyatspi.Registry.start()' >/dev/null 2>&1 &
    pids+=($!)
}
undesktop() {
    for p in "${pids[@]:1}"; do kill "$p" 2>/dev/null || true; done
    pids=("${pids[0]}")
    sleep 0.5
}

sched_ns() { cat /proc/$1/task/*/schedstat 2>/dev/null | awk '{s+=$1} END{printf "%.0f", s}'; }
sleeps() { cat /proc/$1/task/*/status 2>/dev/null | awk '$1=="voluntary_ctxt_switches:"{s+=$2} END{printf "%.0f", s}'; }
rollup() { awk -v k="$2:" '$1==k{print $2}' "/proc/$1/smaps_rollup"; }

# The median time to the first mapped window over RUNS starts (ms).
first_window() {
    local times=() res=$OUT/launch.res
    for _ in $(seq "$RUNS"); do
        rm -f "$res"
        "$XPROBE" launch "$res" "$@" >/dev/null 2>&1 &
        local probe=$!
        for _ in $(seq 200); do [ -f "$res" ] && break; sleep 0.05; done
        times+=("$(tr ' ' '\n' < "$res" | sed -n 's/^map_ms=//p')")
        kill "$(tr ' ' '\n' < "$res" | sed -n 's/^pid=//p')" 2>/dev/null || true
        wait "$probe" 2>/dev/null || true
    done
    printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END{print a[int((NR+1)/2)]}'
}

echo "| clock | desktop | first window (ms) | wake-ups per min | client CPU (ms/min) | RSS (MB) | PSS (MB) | private dirty (MB) |"
echo "|---|---|---:|---:|---:|---:|---:|---:|"
for row in "noatspi none" "atspi none" "atspi session" "atspi bus" "atspi listener"; do
    read -r build kind <<< "$row"
    program=$BUILD/app/zentick
    [ "$build" = noatspi ] && program=$BUILD-noatspi/app/zentick
    desktop "$kind"
    map=$(first_window "$program")
    "$program" >/dev/null 2>&1 &
    clock=$!
    sleep "$MEMSETTLE"
    t0=$EPOCHREALTIME w0=$(sleeps $clock) c0=$(sched_ns $clock)
    sleep "$SECS"
    t1=$EPOCHREALTIME w1=$(sleeps $clock) c1=$(sched_ns $clock)
    printf '| %s | %s | %s | %s | %.2f | %.2f | %.2f |\n' "$build" "$kind" "$map" \
        "$(awk -v t0="$t0" -v t1="$t1" -v w0="$w0" -v w1="$w1" -v c0="$c0" -v c1="$c1" \
            'BEGIN{k = 60 / (t1 - t0); printf "%.1f | %.1f", (w1 - w0) * k, (c1 - c0) / 1e6 * k}')" \
        "$(rollup $clock Rss | awk '{print $1/1024}')" "$(rollup $clock Pss | awk '{print $1/1024}')" \
        "$(rollup $clock Private_Dirty | awk '{print $1/1024}')"
    kill $clock
    wait $clock 2>/dev/null || true
    undesktop
done
