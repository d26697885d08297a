#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs one test program, giving it what it needs of a desktop:
#   --x     its own Xvfb (with -noreset, so the root window outlives the last client)
#   --wm    openbox on that server
#   --dbus  a private D-Bus session with dconf as the GSettings backend
# The test's own XDG folders live in a temporary folder removed afterwards.
set -u
want_x=0 want_wm=0 want_dbus=0
while [ $# -gt 0 ]; do
    case "$1" in
    --x) want_x=1 ;;
    --wm) want_wm=1; want_x=1 ;;
    --dbus) want_dbus=1 ;;
    --) shift; break ;;
    *) echo "run-test.sh: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done

scratch=$(mktemp -d /tmp/velmora-test.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_CACHE_HOME="$scratch/cache"
export XDG_DATA_HOME="$scratch/data" XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset XDG_CURRENT_DESKTOP XDG_SESSION_DESKTOP DESKTOP_SESSION KDE_SESSION_VERSION SWAYSOCK \
    WAYLAND_DISPLAY HYPRLAND_INSTANCE_SIGNATURE DBUS_SESSION_BUS_ADDRESS

if [ "$want_x" = 1 ]; then
    command -v Xvfb >/dev/null || { echo "run-test.sh: Xvfb is not installed" >&2; exit 1; }
    # -displayfd lets the server pick a free display number itself.
    Xvfb -displayfd 1 -noreset -screen 0 1024x768x24 -nolisten tcp >"$scratch/display" 2>"$scratch/xvfb.log" &
    pids+=($!)
    for _ in $(seq 100); do
        [ -s "$scratch/display" ] && break
        sleep 0.05
    done
    [ -s "$scratch/display" ] || { echo "run-test.sh: Xvfb did not start" >&2; cat "$scratch/xvfb.log" >&2; exit 1; }
    export DISPLAY=":$(head -n1 "$scratch/display")"
    export QT_QPA_PLATFORM=xcb
    if [ "$want_wm" = 1 ]; then
        openbox --sm-disable >"$scratch/openbox.log" 2>&1 &
        pids+=($!)
        # Ready once it has announced itself on the root window; a loaded machine or a
        # sanitizer build may take many seconds.
        wm_announced() {
            local check
            check=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | sed -n 's/.*window id # //p')
            [ -n "$check" ] && xprop -id "$check" _NET_WM_NAME >/dev/null 2>&1
        }
        for _ in $(seq 1200); do
            wm_announced && break
            kill -0 "${pids[-1]}" 2>/dev/null || break
            sleep 0.05
        done
        wm_announced || { echo "run-test.sh: openbox did not start" >&2; cat "$scratch/openbox.log" >&2; exit 1; }
    fi
else
    unset DISPLAY
fi

if [ "$want_dbus" = 1 ]; then
    export GSETTINGS_BACKEND=dconf
    dbus-run-session -- "$@"
else
    "$@"
fi
