#!/usr/bin/env bash
# Draws the README's pictures of the clock and its dialogs with zentick-render into
# docs/pictures/, and takes the picture of zentick-hexedit from a private Xvfb.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
root=$(zt_root)
cd "$root"
zt_build build -- zentick-render zentick-hexedit xshot
render=build/app/zentick-render
out=docs/pictures
mkdir -p "$out"
at="--time 13:47:05"
$render $at --out "$out/clock-default.png"
# The same clock at 100 % and at 200 %, as on a screen of 192 dpi.
$render $at --scale 100 --out "$out/clock-scale-100.png"
$render $at --scale 200 --out "$out/clock-scale-200.png"
$render $at --startup 1 --out "$out/clock-startup.png"
$render $at --back 1 --color 1 --out "$out/clock-aluminium-blue.png"
$render $at --back 2 --color 2 --shape 1 --out "$out/clock-mahogany-amber-square.png"
$render $at --back 3 --color 3 --out "$out/clock-transparent-green.png"
$render $at --type 1 --back 1 --color 3 --out "$out/clock-small-green.png"
$render $at --type 2 --back 2 --color 0 --out "$out/clock-tiny-red.png"
$render $at --type 0 --secondshide 1 --back 1 --color 0 --shape 2 --out "$out/clock-no-seconds-rect.png"
$render $at --type 3 --bcd 0 --back 1 --color 0 --out "$out/clock-large-horizontal.png"
$render $at --type 4 --bcd 0 --back 2 --color 2 --out "$out/clock-small-horizontal.png"
$render $at --type 6 --bcd 0 --out "$out/clock-dip-switch.png"
$render $at --dialog settings --type 6 --bcd 0 --color 3 --ontop 1 --out "$out/dialog-settings.png"
$render $at --dialog about --out "$out/dialog-about.png"
$render --control gauge --out "$out/gauge.png"

# The hex editor showing the start of the user's manual, "<!do" typed over its first bytes.
zt_start_xvfb
trap 'kill "$ZT_XVFB_PID" 2>/dev/null || true' EXIT
sample=$(mktemp)
head -c 2048 docs/zentick.html >"$sample"
build/hexedit/zentick-hexedit "$sample" &
editor=$!
window=""
for _ in $(seq 1 100); do
    window=$(xdotool search --onlyvisible --limit 1 --name zentick-hexedit 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 0.05
done
[ -n "$window" ] || { zt_log "zentick-hexedit did not show its window"; kill "$editor"; exit 1; }
xdotool windowfocus --sync "$window" type --delay 20 "<!do"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$window")"
build/tools/xshot/xshot "$out/hexedit.png" "$X" "$Y" "$WIDTH" "$HEIGHT"
kill "$editor"
wait "$editor" 2>/dev/null || true
rm -f "$sample"
echo "pictures written to $root/$out"
