#!/usr/bin/env bash
# What a desktop clock costs: zentick beside xclock, dclock, oclock and buici-clock, each
# alone on one private Xvfb and measured the same way (clockbench's measure.sh), and
# beside two floors: a bare loop that only wakes once a second (bench/floor.c), the least
# that anything ticking each second costs, and an X client that only sends one small
# image a second (bench/floor-x11.c), the least that an X11 clock ticking each second
# costs.
#
# zentick is measured as built here (X11, FreeType, fontconfig and libpng linked in) with
# its seconds shown and with them hidden (it then wakes once a minute), and at 200 % (its
# size set to 200, as on a screen of 192 dpi: four times the pixels); with SHARED=1 also as
# the Debian package builds it (those libraries shared, ZT_STATIC_DEPS=OFF).
#
# For every clock:
#   - measure.sh: time to the first mapped window (median of RUNS starts), client and X
#     server CPU per minute of ticking (schedstat, ns), VmRSS;
#   - then a run of its own: MEMSETTLE s (15) after the start (past zentick's start-up
#     panel), the resident set split from /proc/PID/smaps_rollup (Rss, Pss, the private
#     dirty pages: memory that exists only for this process), and over the next SECS s how
#     often the process went to sleep and was woken (voluntary context switches).
# Prints one table (markdown). The raw figures stay in $OUT (default
# $BUILD/clockbench-results).
#
#   bench/desktop-clocks.sh
# Environment: BUILD (build tree, default build-bench; configured without tests when new;
# the shared-library build goes to $BUILD-shared), SECS (60: seconds of ticking measured),
# RUNS (5 starts), SETTLE (3), MEMSETTLE (15), SHARED (0), CLOCKS (which rows, default
# all: zentick zentick-200 zentick-no-seconds [zentick-shared-libs] oclock dclock-seconds
# xclock-digital buici-clock floor-x11 floor), CLOCKBENCH (the clockbench folder, default
# ../shared/tools/clockbench beside the repository).
# Installs what it needs (Debian 12: apt-get, as root or with sudo).
set -euo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
root=$(zt_root)
cd "$root"

BUILD=${BUILD:-$root/build-bench}
CLOCKBENCH=${CLOCKBENCH:-$root/../shared/tools/clockbench}
export SECS=${SECS:-60} RUNS=${RUNS:-5} SETTLE=${SETTLE:-3}
MEMSETTLE=${MEMSETTLE:-15}
SHARED=${SHARED:-0}
CLOCKS=${CLOCKS:-zentick zentick-200 zentick-no-seconds zentick-shared-libs oclock dclock-seconds xclock-digital buici-clock floor-x11 floor}
[ "$SHARED" = 1 ] || CLOCKS=${CLOCKS//zentick-shared-libs/}
[ -x "$CLOCKBENCH/measure.sh" ] || { zt_log "no clockbench at $CLOCKBENCH (set CLOCKBENCH)"; exit 2; }

# x11-apps: xclock and oclock; x11-utils: xprop, xwininfo; the -dev packages: measure.sh's
# probe; imagemagick: its screenshots.
zt_ensure_packages "${ZT_PACKAGES[@]}" x11-apps x11-utils dclock buici-clock xvfb \
    libx11-dev libxext-dev libxdamage-dev libxfixes-dev imagemagick

# A new build tree gets no tests and no benchmarks; an existing one keeps its options.
build() {
    local dir=$1; shift
    local options=("$@")
    [ -f "$dir/CMakeCache.txt" ] || options+=(-DZT_TESTS=OFF -DZT_BENCH=OFF)
    zt_build "$dir" "${options[@]}" -- zentick
}
zt_log "build zentick (dependencies linked in) in $BUILD"
build "$BUILD"
if [ "$SHARED" = 1 ]; then
    zt_log "build zentick (dependencies shared, as packaged) in $BUILD-shared"
    build "$BUILD-shared" -DZT_STATIC_DEPS=OFF
fi
mkdir -p "$BUILD"
cc -O2 -Wall -o "$BUILD/floor" bench/floor.c
cc -O2 -Wall -o "$BUILD/floor-x11" bench/floor-x11.c -lX11

export OUT=${OUT:-$BUILD/clockbench-results}
rm -rf "$OUT"
mkdir -p "$OUT"
zt_start_xvfb
export XVFB_PID=$ZT_XVFB_PID
child=
trap 'kill "$XVFB_PID" 2>/dev/null || true; [ -n "$child" ] && kill "$child" 2>/dev/null || true' EXIT

# Each zentick run keeps its settings in a folder of its own; "noseconds" starts with the
# seconds hidden, "scale200" at 200 %.
config() {
    local dir=$OUT/config-$1 value=
    mkdir -p "$dir/zentick"
    case $1 in
        noseconds) value='"secondshide"=dword:00000001' ;;
        scale200) value='"scale"=dword:000000c8' ;;
    esac
    if [ -n "$value" ]; then
        printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Kelbrin\\QVZentick]\n%s\n' \
            "$value" > "$dir/zentick/user.reg"
    fi
    echo "$dir"
}

# The command of a row.
command_of() {
    case $1 in
        zentick) echo env XDG_CONFIG_HOME="$(config static)" "$BUILD/app/zentick" ;;
        zentick-200) echo env XDG_CONFIG_HOME="$(config scale200)" "$BUILD/app/zentick" ;;
        zentick-no-seconds) echo env XDG_CONFIG_HOME="$(config noseconds)" "$BUILD/app/zentick" ;;
        zentick-shared-libs) echo env XDG_CONFIG_HOME="$(config shared)" "$BUILD-shared/app/zentick" ;;
        oclock) echo oclock ;;
        dclock-seconds) echo dclock -seconds ;;
        xclock-digital) echo xclock -digital -update 1 ;;
        buici-clock) echo buici-clock ;;
        floor-x11) echo "$BUILD/floor-x11" ;;
        floor) echo "$BUILD/floor" ;;
        *) zt_log "unknown clock $1"; return 1 ;;
    esac
}

sched_ns() { cat /proc/$1/task/*/schedstat 2>/dev/null | awk '{s+=$1} END{printf "%.0f", s}'; }
sleeps() { cat /proc/$1/task/*/status 2>/dev/null | awk '$1=="voluntary_ctxt_switches:"{s+=$2} END{printf "%.0f", s}'; }
rollup() { awk -v k="$2:" '$1==k{print $2}' "/proc/$1/smaps_rollup"; }

# Memory and wake-ups of one clock, in a start of its own: appends name, Rss, Pss,
# private dirty (KiB), wakes per minute and client CPU (schedstat ms/min) to memory.tsv.
# The floor has no window: this run is also where its CPU is measured.
memory() {
    local name=$1; shift
    "$@" >/dev/null 2>&1 &
    child=$!
    sleep "$MEMSETTLE"
    local t0=$EPOCHREALTIME w0 c0
    w0=$(sleeps $child) c0=$(sched_ns $child)
    sleep "$SECS"
    local t1=$EPOCHREALTIME w1 c1
    w1=$(sleeps $child) c1=$(sched_ns $child)
    grep -E '^(Rss|Pss|Private_Clean|Private_Dirty|Anonymous):' "/proc/$child/smaps_rollup" \
        > "$OUT/$name-smaps_rollup.txt"
    printf '%s\t%s\t%s\t%s\t%s\n' "$name" "$(rollup $child Rss)" "$(rollup $child Pss)" \
        "$(rollup $child Private_Dirty)" \
        "$(awk -v t0="$t0" -v t1="$t1" -v w0="$w0" -v w1="$w1" -v c0="$c0" -v c1="$c1" \
            'BEGIN{k = 60 / (t1 - t0); printf "%.1f\t%.1f", (w1 - w0) * k, (c1 - c0) / 1e6 * k}')" \
        >> "$OUT/memory.tsv"
    kill "$child" 2>/dev/null || true
    wait "$child" 2>/dev/null || true
    child=
}

zt_log "measuring, one clock at a time (about $((SECS * 2 + 40)) s each)"
for name in $CLOCKS; do
    read -r -a cmd <<< "$(command_of "$name")"
    zt_log "$name"
    if [ "$name" != floor ]; then
        "$CLOCKBENCH/measure.sh" "$name" "${cmd[@]}" >/dev/null || zt_log "$name: measuring failed"
    fi
    memory "$name" "${cmd[@]}"
done

# summary.tsv (measure.sh): name, map ms, paint ms, client CPU (ticks, schedstat), X CPU
# (ticks, schedstat), other, VmRSS KiB, ...; memory.tsv: name, Rss, Pss, private dirty,
# wakes/min, client CPU.
echo
echo "| clock | first window (ms) | client CPU (ms/min) | X server CPU (ms/min) | wake-ups per min | RSS (MB) | PSS (MB) | private dirty (MB) |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|"
awk -F'\t' 'FNR == NR { cpu[$1] = $5; x[$1] = $7; map[$1] = $2; seen[$1] = 1; next }
    {
        name = $1
        c = seen[name] ? sprintf("%.1f", cpu[name]) : sprintf("%.1f", $6)
        xs = seen[name] ? sprintf("%.1f", x[name]) : "—"
        m = seen[name] ? map[name] : "—"
        printf "| %s | %s | %s | %s | %.0f | %.2f | %.2f | %.2f |\n", name, m, c, xs, $5,
            $2 / 1024, $3 / 1024, $4 / 1024
    }' <(cat "$OUT/summary.tsv" 2>/dev/null || true) "$OUT/memory.tsv"
