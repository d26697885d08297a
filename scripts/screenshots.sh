#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Takes a screenshot of each of Velmora's three windows on a private Xvfb with openbox, in
# three settings, and writes them into docs/:
#   changer.png registration.png about.png                 light theme, 9 pt font
#   changer-dark.png registration-dark.png about-dark.png  dark theme (qt6ct "darker"), 11 pt
#   changer-2x.png registration-2x.png about-2x.png        QT_SCALE_FACTOR=2, 9 pt
#   scripts/screenshots.sh [build folder]      (default: build/; nothing is built here)
# The program runs from a copy in a temporary application folder with two sample pictures,
# so nothing of yours is read or changed.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
docs="$root/docs"
[ -x "$build/velmora" ] || { echo "screenshots.sh: $build/velmora is missing; build first" >&2; exit 1; }
[ -e /usr/lib/x86_64-linux-gnu/qt6/plugins/platformthemes/libqt6ct.so ] ||
    { echo "screenshots.sh: qt6ct is not installed (apt-get install qt6ct)" >&2; exit 1; }
for tool in Xvfb openbox xdotool xwininfo xprop import convert; do
    command -v "$tool" >/dev/null || { echo "screenshots.sh: $tool is not installed (scripts/install-deps.sh)" >&2; exit 1; }
done

scratch=$(mktemp -d /tmp/velmora-shots.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_CACHE_HOME="$scratch/cache"
export XDG_DATA_HOME="$scratch/data" XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset XDG_CURRENT_DESKTOP XDG_SESSION_DESKTOP DESKTOP_SESSION WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
export QT_QPA_PLATFORM=xcb LANG=C.UTF-8

Xvfb -displayfd 1 -noreset -screen 0 1024x768x24 -nolisten tcp >"$scratch/display" 2>"$scratch/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$scratch/display" ] && break
    sleep 0.05
done
[ -s "$scratch/display" ] || { echo "screenshots.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$scratch/display")"
openbox --sm-disable >"$scratch/openbox.log" 2>&1 &
pids+=($!)
sleep 1

# Waits for a window by its exact title and prints its id.
window() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true)
        if [ -n "$id" ]; then
            sleep 0.7 # let it paint
            echo "$id"
            return
        fi
        sleep 0.1
    done
    echo "screenshots.sh: no window \"$1\" appeared" >&2
    cat "$scratch/velmora.log" >&2
    exit 1
}

# Saves the window with its frame, cut out of the whole screen.
shot() {
    local id=$1 file=$2 x y w h l=0 r=0 t=0 b=0 extents
    eval "$(xwininfo -id "$id" | awk '
        /Absolute upper-left X/ {print "x=" $NF}
        /Absolute upper-left Y/ {print "y=" $NF}
        /Width:/ {print "w=" $NF}
        /Height:/ {print "h=" $NF}')"
    extents=$(xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.* = //p' | tr -d ' ')
    if [ -n "$extents" ]; then
        IFS=, read -r l r t b <<<"$extents"
    fi
    import -window root -crop "$((w + l + r))x$((h + t + b))+$((x - l))+$((y - t))" +repage \
        "$scratch/shot.png"
    convert "$scratch/shot.png" -strip "$file"
    echo "$file"
}

# A position in a window, given in pixels of the design (96 dpi, 9 pt), in the window's
# pixels at the current zoom.
at() {
    awk -v x="$1" -v y="$2" -v z="$zoom" 'BEGIN { printf "%d %d", x * z + 0.5, y * z + 0.5 }'
}

# Starts the program from a fresh application folder with two sample pictures and takes
# the three windows, each file named with suffix; the rest of the environment is the caller's.
take_set() {
    local suffix=$1 app changer registration about pid
    app="$scratch/Velmora$suffix"
    mkdir -p "$app"
    cp "$build/velmora" "$app/velmora"
    cp "$root/resources/about.jpg" "$app/waterfall.jpg"
    convert -size 320x240 gradient:'#f6c95b'-'#b5433a' "BMP3:$app/sunset.bmp"
    (cd "$app" && exec ./velmora) >"$scratch/velmora.log" 2>&1 &
    pid=$!
    pids+=($pid)

    changer=$(window "Mosswick")
    shot "$changer" "$docs/changer$suffix.png"
    # the hammer: the third button, 48..72 x 0..24 pixels in the client area
    xdotool mousemove --window "$changer" $(at 60 12) click 1
    registration=$(window "壁紙リスト登録")
    # preview the first picture of the file list (its first row, 8..161 x 160..274)
    xdotool mousemove --window "$registration" $(at 40 168) click 1
    sleep 0.7
    xdotool mousemove --window "$registration" $(at 600 400)
    shot "$registration" "$docs/registration$suffix.png"
    # "about..." at 368..425 x 80..105
    xdotool mousemove --window "$registration" $(at 396 92) click 1
    about=$(window "バージョン情報")
    xdotool mousemove --window "$about" $(at 300 20)
    sleep 0.3
    shot "$about" "$docs/about$suffix.png"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
}

mkdir -p "$docs"
zoom=1
take_set ""

mkdir -p "$XDG_CONFIG_HOME/qt6ct"
cat >"$XDG_CONFIG_HOME/qt6ct/qt6ct.conf" <<CONF
[Appearance]
color_scheme_path=/usr/share/qt6ct/colors/darker.conf
custom_palette=true
style=Fusion

[Fonts]
general="Sans Serif,11,-1,5,400,0,0,0,0,0,0,0,0,0,0,1"
fixed="Monospace,11,-1,5,400,0,0,0,0,0,0,0,0,0,0,1"
CONF
zoom=$(awk 'BEGIN { print 11 / 9 }')
QT_QPA_PLATFORMTHEME=qt6ct take_set "-dark"

zoom=2
QT_SCALE_FACTOR=2 take_set "-2x"
