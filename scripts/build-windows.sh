#!/usr/bin/env bash
# Cross-compiles zentick for 64-bit Windows with MinGW-w64: zentick.exe and
# zentick-hexedit.exe (each with the icon and its version as resources) and
# zentick-render.exe, linked statically and stripped, into build-win/dist together with the
# user's manual. Installs the Debian packages it needs first.
# Usage: scripts/build-windows.sh [--tests]
#   --tests  also builds the unit tests for Windows and zt-wintool (for test-windows.sh).
# The build directory is $ZT_WIN_BUILD (default build-win).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
root=$(zt_root)
cd "$root"

tests=0
[ "${1:-}" = "--tests" ] && tests=1
build=${ZT_WIN_BUILD:-build-win}
case "$build" in /*) ;; *) build="$root/$build" ;; esac
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
jobs=$(nproc)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

zt_ensure_packages build-essential cmake pkg-config mingw-w64 g++-mingw-w64-x86-64-posix \
    libz-mingw-w64-dev googletest libfreetype-dev libfontconfig1-dev libpng-dev

# GoogleTest for Windows, from Debian's sources, into the build's own prefix.
deps="$build/deps"
if [ $tests -eq 1 ] && [ ! -f "$deps/lib/libgtest.a" ]; then
    zt_log "GoogleTest for Windows"
    cmake -S /usr/src/googletest -B "$build/gtest" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -DCMAKE_INSTALL_PREFIX="$deps" "${launcher[@]}" >/dev/null
    cmake --build "$build/gtest" -j"$jobs" >/dev/null
    cmake --install "$build/gtest" >/dev/null
fi

# The icons: drawn by zentick-icon, a program of the build machine, and packed as .ico
# files whose images are PNG files: the sizes the X11 windows carry (16 to 64 pixels) and
# 256 for large views. The clock's goes into zentick.exe and zentick-render.exe, the hex
# editor's into zentick-hexedit.exe.
zt_log "the icons"
zt_build "$build/host" -DZT_TESTS=OFF -DZT_BENCH=OFF -DZT_X11=OFF "${launcher[@]}" -- zentick-icon >/dev/null
icon="$build/zentick.ico"
hexedit_icon="$build/zentick-hexedit.ico"
for kind in clock hexedit; do
    pngs=()
    for size in 16 32 48 64 256; do
        png="$build/icon-$kind-$size.png"
        if [ $kind = hexedit ]; then
            "$build/host/tools/icon/zentick-icon" --hexedit "$size" "$png"
        else
            "$build/host/tools/icon/zentick-icon" "$size" "$png"
        fi
        pngs+=("$png")
    done
    target=$icon
    [ $kind = hexedit ] && target=$hexedit_icon
    python3 - "$target.new" "${pngs[@]}" <<'PY'
import struct, sys
out, pngs = sys.argv[1], sys.argv[2:]
images = [open(p, 'rb').read() for p in pngs]
data = struct.pack('<HHH', 0, 1, len(images))
offset = 6 + 16 * len(images)
for image in images:
    width, height = struct.unpack('>II', image[16:24])
    data += struct.pack('<BBBBHHII', width % 256, height % 256, 0, 0, 1, 32, len(image), offset)
    offset += len(image)
open(out, 'wb').write(data + b''.join(images))
PY
    # Replaced only when it changed, so the programs are not linked again for nothing.
    if cmp -s "$target.new" "$target"; then rm "$target.new"; else mv "$target.new" "$target"; fi
done

zt_log "build for Windows"
options=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DZT_X11=OFF -DZT_BENCH=OFF
         -DZT_ICON_FILE="$icon" -DZT_HEXEDIT_ICON_FILE="$hexedit_icon" "${launcher[@]}")
targets=(zentick zentick-render zentick-hexedit)
if [ $tests -eq 1 ]; then
    options+=(-DZT_TESTS=ON -DZT_WERROR=ON -DCMAKE_PREFIX_PATH="$deps" -DCMAKE_FIND_ROOT_PATH="$deps")
    targets+=(zt_gfx_test zt_os_test zt_native_win32_test zt_shaped_test zt_clock_test
              zt_ui_test zt_widgets_test zt_hexeditor_test zt_hexedit_test zt_win32_test zt-wintool)
else
    options+=(-DZT_TESTS=OFF)
fi
zt_build "$build" "${options[@]}" -- "${targets[@]}"

dist="$build/dist"
mkdir -p "$dist"
programs=("$build/app/zentick.exe" "$build/app/zentick-render.exe" "$build/hexedit/zentick-hexedit.exe")
cp "${programs[@]}" docs/zentick.html "$dist/"
cp LICENSE "$dist/LICENSE.txt"
for program in "${programs[@]}"; do
    x86_64-w64-mingw32-strip "$dist/$(basename "$program")"
done
# The same files as one zip to hand out.
version=$(sed -n 's/^project(zentick VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip="$build/zentick-$version-win64.zip"
python3 - "$dist" "$zip" "zentick-$version" <<'PY'
import os, sys, zipfile
dist, out, folder = sys.argv[1:]
with zipfile.ZipFile(out, 'w', zipfile.ZIP_DEFLATED) as z:
    for name in sorted(os.listdir(dist)):
        z.write(os.path.join(dist, name), folder + '/' + name)
PY
zt_log "built $(cd "$dist" && ls | tr '\n' ' ')in $dist, and $zip"
