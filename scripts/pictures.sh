#!/usr/bin/env bash
# Draws the README's pictures of the clock and its dialogs with zentick-render into
# docs/pictures/.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
root=$(zt_root)
cd "$root"
zt_build build -- zentick-render
render=build/app/zentick-render
out=docs/pictures
mkdir -p "$out"
at="--time 13:47:05"
$render $at --out "$out/clock-default.png"
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
echo "pictures written to $root/$out"
