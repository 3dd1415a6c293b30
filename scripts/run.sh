#!/usr/bin/env bash
# Builds and runs the clock. With no $DISPLAY, runs it under a private Xvfb for a few
# seconds, saves a screenshot to build/screenshot.png and says where.
# Installs the Debian packages it needs first.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
root=$(zt_root)
cd "$root"

zt_ensure_packages "${ZT_PACKAGES[@]}"
zt_log "build"
zt_build build -- zentick xshot

if [ -n "${DISPLAY:-}" ]; then
    zt_log "running build/app/zentick on $DISPLAY"
    exec build/app/zentick
fi

zt_log "no display: running the clock under a private Xvfb"
zt_start_xvfb
trap 'kill "$ZT_XVFB_PID" 2>/dev/null || true' EXIT
xsetroot -solid '#3a6ea5' 2>/dev/null || true
# The clock keeps its settings per user; this run leaves the user's own alone.
config=$(mktemp -d)
XDG_CONFIG_HOME="$config" build/app/zentick &
clock=$!
window=""
for _ in $(seq 1 100); do
    window=$(xdotool search --onlyvisible --limit 1 --class zentick 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 0.05
done
[ -n "$window" ] || { zt_log "the clock did not show its window"; kill "$clock" 2>/dev/null; exit 1; }
sleep 6   # past the five-second greeting, so the picture shows the clock itself
eval "$(xdotool getwindowgeometry --shell "$window")"
build/tools/xshot/xshot build/screenshot.png $((X - 20)) $((Y - 20)) $((WIDTH + 40)) $((HEIGHT + 40))
kill -TERM "$clock"
wait "$clock" || true
rm -rf "$config"
echo "Screenshot saved to $root/build/screenshot.png"
