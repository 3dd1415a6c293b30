#!/usr/bin/env bash
# The Windows build under Wine: builds zentick.exe, zentick-hexedit.exe and the unit tests
# for Windows (scripts/build-windows.sh --tests), runs the unit tests under Wine in a fresh
# Wine prefix, then checks the real programs end to end on a private X server. zentick.exe:
# the first start creates the settings key with its fifteen values; the window is 150 x 90
# with the 13-rectangle region; start-up time and a minute's CPU time are measured; closing
# saves the position; the Settings dialog writes and removes the Run value; at 192 dots per
# inch (LogPixels) the window is 300 x 180 with its region doubled.
# zentick-hexedit.exe: started with a file, it maps no window but its own, takes typed
# characters, saves them with Ctrl+S (leaving no journal) and closes; the file then holds
# exactly what was typed. Installs what it needs
# (Debian: mingw-w64, wine, wine64, xvfb).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
root=$(zt_root)
cd "$root"

zt_ensure_packages wine wine64 xvfb xauth x11-utils
ZT_WIN_BUILD=${ZT_WIN_BUILD:-build-win} "$root/scripts/build-windows.sh" --tests
build=${ZT_WIN_BUILD:-build-win}
case "$build" in /*) ;; *) build="$root/$build" ;; esac

work=$(mktemp -d)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEARCH=win64
# No Mono or Gecko installers: nothing here needs them.
export WINEDLLOVERRIDES="mscoree,mshtml="
ZT_XVFB_PID=""
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    [ -n "$ZT_XVFB_PID" ] && kill "$ZT_XVFB_PID" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

zt_log "Wine prefix"
zt_start_xvfb
wineboot -i >/dev/null 2>&1
wineserver -w

passed=0
failed=0
# run_tests <exe>...: each GoogleTest program, counting its tests.
run_tests() {
    local exe log
    for exe in "$@"; do
        log="$work/$(basename "$exe").log"
        if timeout 300 wine "$exe" --gtest_brief=1 >"$log" 2>&1; then
            zt_log "$(basename "$exe"): $(grep -Eo '[0-9]+ tests? from [0-9]+ test suites? ran' "$log" | head -1)"
        else
            cat "$log"
            zt_log "$(basename "$exe") FAILED"
            failed=$((failed + 1))
            continue
        fi
        passed=$((passed + 1))
    done
}

zt_log "unit tests under Wine, null graphics driver"
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
run_tests "$build"/platform/gfx/zt_gfx_test.exe "$build"/platform/os/zt_os_test.exe \
    "$build"/platform/ui/zt_ui_test.exe "$build"/shaped/zt_shaped_test.exe \
    "$build"/clock/zt_clock_test.exe "$build"/widgets/zt_widgets_test.exe \
    "$build"/widgets/hex/zt_hexeditor_test.exe \
    "$build"/hexedit/zt_hexedit_test.exe

zt_log "window tests under Wine on Xvfb"
wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1
wineserver -w
run_tests "$build"/platform/native/zt_native_win32_test.exe "$build"/tests/win32/zt_win32_test.exe

zt_log "end to end: zentick.exe under Wine"
exe="$build/dist/zentick.exe"
tool() { wine "$build/tests/win32/zt-wintool.exe" "$@" | tr -d '\r'; }
# Starts zentick.exe; prints the milliseconds until its window showed. The program keeps
# the standard handles it is given, so its output goes to a file, never to a pipe that the
# script would wait on.
start_program() {
    wine "$build/tests/win32/zt-wintool.exe" start "$exe" >"$work/start.txt" 2>&1 || true
    tr -d '\r' <"$work/start.txt" | awk '/^ms/ {print $2}'
}
key='HKCU\Software\Kelbrin\QVZentick'
run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
check() {  # check <description> <command...>
    local what=$1; shift
    if "$@"; then zt_log "ok: $what"; passed=$((passed + 1)); else zt_log "FAILED: $what"; failed=$((failed + 1)); fi
}
value() { wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v n="$1" '$1 == n {print $3}'; }
main_window() {
    tool list | awk -v t="title=\"Tarvo's Binary Clock\"" '/ZentickWindow/ && index($0, t) && /visible=1/ && !n++ {print $1}'
}
stop_program() {
    local w; w=$(main_window)
    [ -n "$w" ] && tool close "$w" >/dev/null
    wineserver -w
}

# First start: the key with its fifteen values, the window and its region.
startup_ms=$(start_program)
values=$(wine reg query "$key" 2>/dev/null | tr -d '\r' | grep -c REG_DWORD || true)
check "first start stores 15 values (found $values)" test "$values" -eq 15
w=$(main_window)
client_size() { tool list | grep "^$1 " | grep -o 'client=[0-9x]*'; }
size_found=$(client_size "$w")
check "the main window is 150 x 90 ($size_found)" test "$size_found" = client=150x90
rects=$(tool region "$w" | awk '/^rects/ {print $2}' || true)
check "the window region has 13 rectangles (found $rects)" test "$rects" = 13
# The region's box (left top right bottom) and area, from its rectangles.
region_extent() {
    tool region "$1" | awk '!/^rects/ && NF == 4 {
        if (n++ == 0) { l = $1; t = $2; r = $3; b = $4 }
        if ($1 < l) l = $1; if ($2 < t) t = $2; if ($3 > r) r = $3; if ($4 > b) b = $4
        a += ($3 - $1) * ($4 - $2) } END { print l, t, r, b, a }'
}
read -r _ _ _ _ design_area <<<"$(region_extent "$w")"

# A minute of ticking: CPU time of the program's process (and of the Wine server).
sleep 6
pid=$(pgrep -n -f 'dist.zentick\.exe')
server=$(pgrep -n -x wineserver64 || pgrep -n -x wineserver)
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
cpu0=$(ticks "$pid"); server0=$(ticks "$server")
sleep 60
cpu1=$(ticks "$pid"); server1=$(ticks "$server")
hz=$(getconf CLK_TCK)
cpu_ms=$(( (cpu1 - cpu0) * 1000 / hz )); server_ms=$(( (server1 - server0) * 1000 / hz ))

# Closing saves: the window moved by the system is stored where it went.
tool move "$w" 123 77 >/dev/null
sleep 1
stop_program
check "closing saves the position (left $(value viewerleft), top $(value viewertop))" \
    test "$(value viewerleft)" = 0x7b -a "$(value viewertop)" = 0x4d

# Auto-load on: the Settings dialog closed with OK writes the Run value.
wine reg query "$run" >/dev/null 2>&1 || wine reg add "$run" /f >/dev/null 2>&1
wine reg add "$key" /v autoload /t REG_DWORD /d 1 /f >/dev/null 2>&1
open_settings() {
    start_program >/dev/null
    sleep 6                                       # the start-up panel closes
    local w; w=$(main_window)
    tool click "$w" 75 45 >/dev/null              # a click on the clock: the menu
    local menu; menu=$(tool find - 10 || true)
    tool click "$menu" 20 10 >/dev/null           # its first item, Settings
    tool find "Clock Settings" 10
}
# The Run value as stored; waits up to 10 s for it to be there (want=1) or gone (want=0):
# Wine without a window manager waits about two seconds for a dialog to hide.
run_value() {
    local i text
    for i in $(seq 1 20); do
        text=$(wine reg query "$run" /v QVZentick 2>/dev/null | tr -d '\r' | sed -n 's/^ *QVZentick *REG_SZ *//p' || true)
        if { [ "$1" = 1 ] && [ -n "$text" ]; } || { [ "$1" = 0 ] && [ -z "$text" ]; }; then break; fi
        sleep 0.5
    done
    printf '%s' "$text"
}
dialog=$(open_settings || true)
tool key "$dialog" 13 >/dev/null || true          # Return: OK
expected="\"$(winepath -w "$exe")\" -autominimize"
stored=$(run_value 1)
check "auto-load writes the Run value ($stored)" test "$stored" = "$expected"
stop_program

# Auto-load off: the dialog closed with Cancel removes it.
wine reg add "$key" /v autoload /t REG_DWORD /d 0 /f >/dev/null 2>&1
dialog=$(open_settings || true)
tool key "$dialog" 27 >/dev/null || true          # Escape: Cancel
stored=$(run_value 0)
check "auto-load off removes the Run value" test -z "$stored"
stop_program

# At 192 dots per inch the clock is drawn at 200 %: the window twice as large, its region
# cut from the 2x picture (a box twice the design's, an area within 3 % of four times its).
# Wine reads the density when it starts.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f >/dev/null 2>&1
wineserver -k >/dev/null 2>&1 || true
wineserver -w
start_program >/dev/null
w=$(main_window)
size_found=$(client_size "$w")
check "at 192 dpi the main window is 300 x 180 ($size_found)" test "$size_found" = client=300x180
read -r left top right bottom area <<<"$(region_extent "$w")"
check "at 192 dpi the region's box is doubled ($left $top $right $bottom)" \
    test "$left $top $right $bottom" = "4 4 296 172"
near_four_times() {  # near_four_times AREA DESIGN: AREA within 3 % of four times DESIGN
    [ -n "$1" ] && [ -n "$2" ] || return 1
    local want=$((4 * $2)) diff
    diff=$(( $1 > want ? $1 - want : want - $1 ))
    [ $((diff * 100)) -le $((3 * want)) ]
}
check "at 192 dpi the region's area is four times the design's ($area, design ${design_area:-?})" \
    near_four_times "$area" "$design_area"
stop_program
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true
wineserver -k >/dev/null 2>&1 || true
wineserver -w

zt_log "end to end: zentick-hexedit.exe under Wine"
hexedit="$build/dist/zentick-hexedit.exe"
files="$work/files"
mkdir -p "$files"
printf '........' >"$files/data.bin"
title="data.bin - zentick-hexedit"
editor_window() {  # editor_window <title>: the editor's window with that title, if it shows
    tool list | awk -v t="title=\"$1\"" '/ZentickWindow/ && index($0, t) && /visible=1/ && !n++ {print $1}'
}
# Waits up to 10 s for a window with the title to show (want=1) or be gone (want=0).
wait_window() {
    local i
    for i in $(seq 1 40); do
        if { [ "$1" = 1 ] && [ -n "$(editor_window "$2")" ]; } ||
           { [ "$1" = 0 ] && [ -z "$(editor_window "$2")" ]; }; then return 0; fi
        sleep 0.25
    done
    return 1
}
wine "$build/tests/win32/zt-wintool.exe" start --title "$title" "$hexedit" \
    "$(winepath -w "$files/data.bin")" >"$work/hexedit-start.txt" 2>&1 || true
hexedit_ms=$(tr -d '\r' <"$work/hexedit-start.txt" | awk '/^ms/ {print $2}')
w=$(editor_window "$title")
check "the editor shows data.bin (${hexedit_ms:-no window} ms)" test -n "$w"
# Nothing the user does not see is mapped beside it: no viewable window of its own name
# (the program's hidden application window).
stray=""
for id in $(xwininfo -root -tree | awk '/"zentick-hexedit":/ {print $1}'); do
    xwininfo -id "$id" | grep -q 'Map State: IsViewable' && stray="$stray $id"
done
check "no stray window is mapped beside the editor (${stray:-none})" test -z "$stray"
# The cursor starts on the first byte, in the characters panel: each character typed
# becomes a byte.
typed=c0ffee42
tool type "$w" "$typed" >/dev/null || true
check "typing marks the title" wait_window 1 "*$title"
tool key "$w" 83 ctrl >/dev/null || true       # Ctrl+S
check "Ctrl+S saves: the title loses its mark" wait_window 1 "$title"
tool close "$w" >/dev/null || true
check "closing without unsaved changes ends the editor" wait_window 0 "$title"
saved=$(cat "$files/data.bin")
check "the file holds exactly what was typed ($saved)" test "$saved" = "$typed"
left=$(ls -A "$files" | tr '\n' ' ')
check "no temporary file is left beside it ($left)" test "$left" = "data.bin "
# The save's journal went into the user's local application data, and is gone again.
state="$WINEPREFIX/drive_c/users/${USER:-$(id -un)}/AppData/Local/zentick-hexedit"
journals=$(ls -A "$state" 2>/dev/null | tr '\n' ' ')
check "no journal is left behind (${journals:-none})" test -d "$state" -a -z "$journals"
timeout 20 wineserver -w || wineserver -k

size=$(stat -c %s "$exe")
zt_log "zentick.exe: $size bytes; start-up under Wine $startup_ms ms; CPU over 60 s of ticking: $cpu_ms ms (Wine server: $server_ms ms)"
zt_log "zentick-hexedit.exe: $(stat -c %s "$hexedit") bytes; start-up with a file under Wine ${hexedit_ms:-?} ms"
echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
