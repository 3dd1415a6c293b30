# Shared by scripts/run.sh and scripts/test.sh: installing what is missing, building.

# The Debian packages the build, the tests and the program need.
ZT_PACKAGES=(
    build-essential cmake pkg-config
    # scripts/check-style.sh: formatting and its test; the static checks (.clang-tidy)
    git clang-format clang-tidy
    libfreetype-dev libfontconfig1-dev fonts-dejavu-core fonts-dejavu-extra libpng-dev
    libx11-dev libxext-dev libxrandr-dev
    libgtest-dev libbenchmark-dev
    libxtst-dev xvfb xauth openbox icewm fluxbox i3-wm xdotool x11-utils x11-xserver-utils
    libsystemd-dev dbus at-spi2-core python3-pyatspi
    # the Debian package: its build and its checks
    debhelper dpkg-dev file lintian appstream desktop-file-utils mandoc
    # a screen that changes size under a running program (Xorg with the dummy driver)
    xserver-xorg-core xserver-xorg-video-dummy
)

zt_root() { cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd; }

zt_log() { printf '\033[1m==> %s\033[0m\n' "$*" >&2; }

# Installs the packages given that are not installed yet (apt-get, as root or with sudo).
zt_ensure_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { zt_log "missing packages, and no root: ${missing[*]}"; return 1; }
        sudo=(sudo)
    fi
    zt_log "installing ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# zt_build <dir> [cmake options...] -- [targets...]
zt_build() {
    local dir=$1; shift
    local options=() targets=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
    [ $# -gt 0 ] && shift
    targets=("$@")
    cmake -S "$(zt_root)" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
    local jobs; jobs=$(nproc)
    if [ ${#targets[@]} -gt 0 ]; then
        cmake --build "$dir" -j"$jobs" --target "${targets[@]}"
    else
        cmake --build "$dir" -j"$jobs"
    fi
}

# Starts a private X server; sets ZT_XVFB_PID and DISPLAY.
zt_start_xvfb() {
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
        ZT_XVFB_PID=$!
        local i
        for i in $(seq 1 100); do
            [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
            kill -0 "$ZT_XVFB_PID" 2>/dev/null || break
            sleep 0.05
        done
        kill "$ZT_XVFB_PID" 2>/dev/null || true
    done
    zt_log "could not start Xvfb"
    return 1
}
