#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh) and checks it as a distribution would:
# lintian --pedantic shows no error and no warning, both AppStream files pass
# `appstreamcli validate --no-net --pedantic` and the installed tree `validate-tree`, both
# launchers pass desktop-file-validate, the manual pages `mandoc -T lint`. Then installs
# it with dpkg -i, runs the installed programs (the clock under Xvfb shows its window and
# ends with status 0 on SIGTERM; every --version names the licence) and removes it again.
# Prints how long each step took.
#
#   scripts/test-package.sh [--tests] [OUTPUT_DIR]
#
# --tests runs the project's tests inside the package build (dh_auto_test), as
# scripts/test.sh does; CC, CXX and ZT_CMAKE_OPTIONS pass on to the build. Installing needs
# root (or sudo); without either, the checks stop after the package's own.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
root=$(zt_root)
cd "$root"

tests=0
if [ "${1:-}" = "--tests" ]; then
    tests=1
    shift
fi
out=${1:-build-deb}
zt_ensure_packages "${ZT_PACKAGES[@]}"

seconds() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$(seconds)" 'BEGIN { printf "%.1f", b - a }'; }

start=$(seconds)
if [ $tests -eq 1 ]; then
    export DEB_BUILD_OPTIONS="parallel=$(nproc) terse"
    export ZT_REQUIRE_X_TOOLS=1
fi
deb=$(scripts/package.sh "$out" | tail -n 1)
zt_log "package built in $(elapsed "$start") s: $deb"

failed=0
fail() { zt_log "package: $*"; failed=1; }

# The package's own checks, on the .deb and its files unpacked.
checks=$(seconds)
lintian_log="$out/lintian.txt"
lintian --pedantic --display-info --color never "$deb" >"$lintian_log" 2>&1 || true
cat "$lintian_log"
grep -qE '^[EW]: ' "$lintian_log" && fail "lintian reports errors or warnings (above)"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
for metainfo in "$tree"/usr/share/metainfo/*.metainfo.xml; do
    appstreamcli validate --no-net --pedantic "$metainfo" >/dev/null ||
        { appstreamcli validate --no-net --pedantic "$metainfo" || true; fail "appstream: $metainfo"; }
done
[ "$(ls "$tree"/usr/share/metainfo/*.metainfo.xml | wc -l)" -eq 2 ] || fail "not two metainfo files"
# One version: the package's (debian/changelog, checked against CMakeLists.txt by
# package.sh) is the newest release of each.
version=$(dpkg-deb -f "$deb" Version)
for metainfo in "$tree"/usr/share/metainfo/*.metainfo.xml; do
    grep -q "<release version=\"$version\"" "$metainfo" || fail "$metainfo has no release $version"
done
appstreamcli validate-tree --no-net "$tree" >/dev/null ||
    { appstreamcli validate-tree --no-net "$tree" || true; fail "appstream: the installed tree"; }
for launcher in zentick zentick-hexedit; do
    desktop-file-validate "$tree/usr/share/applications/$launcher.desktop" ||
        fail "desktop-file-validate $launcher.desktop"
    for size in 16 22 24 32 48 64 128 256; do
        icon="$tree/usr/share/icons/hicolor/${size}x$size/apps/$launcher.png"
        [[ "$(file -b "$icon" 2>/dev/null)" == "PNG image data, $size x $size, 8-bit/color RGBA"* ]] ||
            fail "no ${size}x$size icon $launcher.png"
    done
    grep -q '<svg' "$tree/usr/share/icons/hicolor/scalable/apps/$launcher.svg" 2>/dev/null ||
        fail "no scalable icon $launcher.svg"
done
for page in "$tree"/usr/share/man/man1/*.1.gz; do
    lint=$(mandoc -T lint -W warning "$page" 2>&1) || true
    [ -z "$lint" ] || fail "mandoc: $lint"
done
[ "$(ls "$tree"/usr/share/man/man1/*.1.gz | wc -l)" -eq 3 ] || fail "not three manual pages"
zt_log "package checks (lintian, appstream, desktop files, icons, manual pages) in $(elapsed "$checks") s"

if [ "$(id -u)" -ne 0 ] && ! sudo -n true 2>/dev/null; then
    zt_log "not root and no sudo: $deb was built and checked but not installed"
    [ "$failed" -eq 0 ]
    exit
fi

# Installed: the programs run from /usr/bin, the clock under Xvfb; then removed.
installed=$(seconds)
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo -n)
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libx11-6 libfreetype6 libfontconfig1 libpng16-16; do
    [[ "$depends" == *"$lib"* ]] || fail "no dependency on $lib (Depends: $depends)"
done
"${sudo[@]}" dpkg -i "$deb" >/dev/null
ZT_XVFB_PID=""
trap '"${sudo[@]}" dpkg -r zentick >/dev/null 2>&1 || true; [ -n "$ZT_XVFB_PID" ] && kill "$ZT_XVFB_PID" 2>/dev/null; rm -rf "$tree"' EXIT
for program in zentick zentick-render zentick-hexedit; do
    [ -x "/usr/bin/$program" ] || fail "no /usr/bin/$program"
    version=$("/usr/bin/$program" --version) || fail "$program --version"
    [[ "$version" == "$program "[0-9]*$'\n'"Copyright (c) 2026 The zentick developers"$'\n'*MIT* ]] ||
        fail "$program --version: $version"
    "/usr/bin/$program" --help | grep -q "^Usage: $program" || fail "$program --help"
    # The clock ignores what it does not know; the others refuse it.
    if [ "$program" = zentick ]; then
        "/usr/bin/$program" --bogus --version | grep -q "^$program " || fail "$program --bogus --version"
    else
        status=0
        "/usr/bin/$program" --bogus >/dev/null 2>&1 || status=$?
        [ "$status" -eq 2 ] || fail "$program --bogus ended with $status, not 2"
    fi
done
for file in /usr/share/zentick/zentick.html /usr/share/applications/zentick.desktop \
    /usr/share/applications/zentick-hexedit.desktop /usr/share/doc/zentick/copyright \
    /usr/share/doc/zentick/changelog.gz; do
    [ -f "$file" ] || fail "no $file"
done
libraries=$(ldd /usr/bin/zentick)
[[ "$libraries" == *libX11.so* ]] || fail "zentick does not link libX11 shared"
tmp="$tree/run"
mkdir -p "$tmp"
/usr/bin/zentick-render --time 13:47:05 --out "$tmp/clock.png" && [ -s "$tmp/clock.png" ] ||
    fail "zentick-render drew nothing"
zt_start_xvfb
XDG_CONFIG_HOME="$tmp" /usr/bin/zentick &
clock=$!
window=""
for _ in $(seq 1 100); do
    window=$(xdotool search --onlyvisible --limit 1 --classname '^zentick$' 2>/dev/null | head -n 1) || true
    [ -n "$window" ] && break
    sleep 0.05
done
[ -n "$window" ] || fail "the installed clock showed no window"
kill -TERM "$clock"
status=0
wait "$clock" || status=$?
[ "$status" -eq 0 ] || fail "the installed clock ended with status $status on SIGTERM"
"${sudo[@]}" dpkg -r zentick >/dev/null
[ ! -e /usr/bin/zentick ] || fail "dpkg -r left /usr/bin/zentick"
zt_log "installed, run and removed in $(elapsed "$installed") s; the whole package step $(elapsed "$start") s"
[ "$failed" -eq 0 ]
