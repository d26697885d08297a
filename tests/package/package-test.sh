#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Debian package as a distribution and a user meet it: lintian finds no error, the
# metainfo and the menu entry validate, apt-get installs it, a normal user starts
# /usr/bin/velmora on an X server, registers a picture and steps to it, and the data lands in
# that user's ~/.local/share/velmora; apt-get purge then leaves none of the package's files.
# Installs into /usr and makes a system user, so it runs only as root (as in CI).
#
# Usage: package-test.sh <velmora_VERSION_amd64.deb> [<output folder>]
# A failure with a screen leaves a screenshot in <output folder>/package-test-failures/.
set -u
if [ "$(id -u)" != 0 ]; then
    echo "SKIPPED: the package test installs the package with apt-get and needs root (as in CI)"
    exit 0
fi
deb=$(realpath "$1")
failures="${2:-.}/package-test-failures"
rm -rf "$failures"
user=velmora-package-test
step_name=start
pids=()
installed=0

work=$(mktemp -d /tmp/velmora-package.XXXXXX)
chmod 755 "$work"
home="$work/home"
data="$home/.local/share/velmora"

cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    [ "$installed" = 1 ] && DEBIAN_FRONTEND=noninteractive apt-get purge -y -q velmora >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT

# Helpers shared with the other scripts that drive the program.
source "$(dirname "$0")/../support/script-steps.sh"

fail() {
    echo "FAIL [$step_name]: $*" >&2
    if [ -n "${DISPLAY:-}" ] && mkdir -p "$failures" &&
        import -window root "$failures/$step_name.png" 2>/dev/null; then
        echo "  screenshot: $failures/$step_name.png" >&2
    fi
    [ -s "$work/velmora.log" ] && sed 's/^/  velmora: /' "$work/velmora.log" >&2
    exit 1
}

step setup
[ -f "$deb" ] || fail "no package $1"
for tool in lintian appstreamcli desktop-file-validate Xvfb openbox xdotool xwininfo xprop \
    import convert compare; do
    command -v "$tool" >/dev/null || fail "$tool is not installed"
done

# ---- the package as a distribution checks it -----------------------------------------------

step lintian
lintian --fail-on error "$deb" 2>"$work/lintian.err" >"$work/lintian.out"
status=$?
cat "$work/lintian.out"
[ "$status" = 0 ] && ! grep -q '^E:' "$work/lintian.out" ||
    fail "lintian reports errors (status $status): $(cat "$work/lintian.err")"

step contents
dpkg-deb -x "$deb" "$work/root" || fail "dpkg-deb cannot unpack the package"
for f in usr/bin/velmora usr/share/applications/velmora.desktop \
    usr/share/metainfo/com.example.velmora.metainfo.xml usr/share/man/man1/velmora.1.gz \
    usr/share/man/ja/man1/velmora.1.gz usr/share/doc/velmora/copyright \
    usr/share/icons/hicolor/32x32/apps/velmora.png usr/share/icons/hicolor/256x256/apps/velmora.png \
    usr/share/icons/hicolor/scalable/apps/velmora.svg; do
    [ -f "$work/root/$f" ] || fail "the package has no /$f"
done
appstreamcli validate --no-net "$work/root/usr/share/metainfo/com.example.velmora.metainfo.xml" ||
    fail "the metainfo does not validate"
# Hints too count: the entry must come out clean.
out=$(desktop-file-validate "$work/root/usr/share/applications/velmora.desktop" 2>&1)
[ $? = 0 ] && [ -z "$out" ] || fail "desktop-file-validate: $out"

# ---- installed, and used by a normal user ------------------------------------------------

step install
DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb" >"$work/apt.log" 2>&1 ||
    fail "apt-get install failed: $(tail -n 20 "$work/apt.log")"
installed=1
dpkg-query -L velmora >"$work/listed" || fail "dpkg does not know the installed package"
files=()
while IFS= read -r f; do
    [ -d "$f" ] && [ ! -L "$f" ] || files+=("$f")
done <"$work/listed"
[ "${#files[@]}" -ge 9 ] || fail "dpkg lists only ${#files[@]} files: ${files[*]}"
version=$(env -u DISPLAY /usr/bin/velmora --version) || fail "velmora --version failed"
[ "$version" = "velmora $(dpkg-query -W -f='${Version}' velmora)" ] ||
    fail "--version says \"$version\""

step user
if ! id "$user" >/dev/null 2>&1; then
    useradd -r -M -s /usr/sbin/nologin "$user" || fail "cannot make the user $user"
fi
mkdir -p "$home/run" "$work/pictures"
chmod 700 "$home/run"
chown -R "$user:" "$home"
convert -size 160x120 xc:'#d03020' -fill '#2040c0' -draw 'rectangle 80,0 159,59' \
    "BMP3:$work/pictures/a-red.bmp" || fail "convert cannot make the picture"
chmod -R a+rX "$work/pictures"

unset DISPLAY WAYLAND_DISPLAY
Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
wait_until 10 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
wait_until 10 wm_running || fail "openbox did not start"

client_origin() {
    local info
    info=$(xwininfo -id "$1") || return 1
    CX=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
    CY=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
}

step start
runuser -u "$user" -- env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$home/run" \
    DISPLAY="$DISPLAY" LANG=C.UTF-8 /usr/bin/velmora >"$work/velmora.log" 2>&1 &
velmora_pid=$!
pids+=("$velmora_pid")
wait_until 20 window_of '^Mosswick$' >/dev/null || fail "the changer window did not appear"
wait_until 10 test -d "$data/Pic" || fail "$data/Pic was not made"
[ "$(stat -c '%U %a' "$data")" = "$user 700" ] ||
    fail "$data is $(stat -c '%U %a' "$data"), not the user's with mode 700"
# The picture lies in a folder of the data folder, so that the folder list shows it below Pic.
runuser -u "$user" -- mkdir "$data/testpics" &&
    runuser -u "$user" -- cp "$work/pictures/a-red.bmp" "$data/testpics/" ||
    fail "the user cannot write into $data"

step register
changer=$(window_of '^Mosswick$')
client_origin "$changer"
click $((CX + 60)) $((CY + 12)) # cmdTouroku 720, 0, 375, 375
wait_until 15 window_of '壁紙リスト登録' >/dev/null || fail "the registration window did not open"
reg=$(window_of '壁紙リスト登録')
wait_until 10 is_active "$reg" || fail "the registration window did not take the focus"
client_origin "$reg"
RX=$CX RY=$CY
# Drive selector to the folder list, whose last row is testpics.
xdotool key Tab End Return
click $((RX + 16)) $((RY + 332)) # chkFileCopy off: the picture is registered where it is
file_x=$((RX + 48)) file_y=$((RY + 166)) # the first row of File1 120, 2400, 2295, 1710
# Events reach the program in order: the click lands on the list of testpics.
click "$file_x" "$file_y"
# The selection's colour right of the name.
first_row_selected() {
    import -window root "$work/screen.png" 2>/dev/null || return 1
    convert "$work/screen.png" -crop "1x1+$((file_x + 100))+${file_y}" -depth 8 txt:- |
        sed -n 's/.*: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \3/p' | awk '{ exit !($2 - $1 > 60) }'
}
wait_until 10 first_row_selected || fail "no file to select in testpics"
click $((RX + 84)) $((RY + 300)) # cmdTouroku 120, 4320, 2295, 375
registered() { grep -q "testpics/,a-red.bmp,.*testpics/a-red.bmp,0" "$data/Kabegamilist.def" 2>/dev/null; }
wait_until 10 registered ||
    fail "the list does not name the picture: $(cat -A "$data/Kabegamilist.def" 2>&1)"
xdotool key alt+F4
wait_until 10 test -z "$(window_of '壁紙リスト登録')" || fail "the registration window stayed"

step next
bitmap="$data/Mosswick壁紙.BMP"
wait_until 5 is_active "$changer" || fail "the changer window is not active"
client_origin "$changer"
click $((CX + 36)) $((CY + 12)) # cmdGoNext 360, 0, 375, 375
bitmap_shows_picture() {
    [ "$(head -c2 "$bitmap" 2>/dev/null)" = BM ] &&
        [ "$(compare -metric AE "$bitmap" "$work/pictures/a-red.bmp" null: 2>&1)" = 0 ]
}
wait_until 10 bitmap_shows_picture || fail "$bitmap does not show the picture"

step close
xdotool key alt+F4
wait_until 10 eval '! kill -0 "$velmora_pid" 2>/dev/null' || fail "the program did not end"
wait "$velmora_pid"
status=$?
[ "$status" = 0 ] || fail "the program ended with status $status"
for f in Kabegamilist.def "Mosswick壁紙.BMP" Pic; do
    [ ! -e "/usr/bin/$f" ] || fail "/usr/bin/$f was written"
done

# ---- removed --------------------------------------------------------------------------------

step purge
DEBIAN_FRONTEND=noninteractive apt-get purge -y -q velmora >"$work/apt.log" 2>&1 ||
    fail "apt-get purge failed: $(tail -n 20 "$work/apt.log")"
installed=0
left=()
for f in "${files[@]}"; do
    [ -e "$f" ] || [ -L "$f" ] && left+=("$f")
done
[ "${#left[@]}" = 0 ] || fail "left after purge: ${left[*]}"
echo "PASS: lintian, validation, install, a user's registration and step, purge"
