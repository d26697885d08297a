#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The finished program as a new user meets it: copied into a fresh folder, started on an X
# server with a window manager and a bottom panel, and driven only with the mouse and the
# keyboard. Run through tests/run-test.sh --wm --dbus, which provides the X server, openbox
# and a private D-Bus session with dconf.
#
# Usage: e2e.sh <velmora binary> <panel binary> <output folder>
# Every failure leaves a screenshot in <output folder>/failures/<step>.png.
set -u

velmora_binary=$1 panel_binary=$2 output=$3
failures="$output/failures"
rm -rf "$failures"
mkdir -p "$failures"

work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-e2e.XXXXXX")
work=$(realpath "$work")
app="$work/app"
pics="$app/testpics"
list="$app/Kabegamilist.def"
bitmap="$app/Mosswick壁紙.BMP"
step_name=start
pids=()

cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Helpers shared with the other scripts that drive the program.
source "$(dirname "$0")/../support/script-steps.sh"

# ---- reporting -----------------------------------------------------------------------------

fail() {
    local shot="$failures/$step_name.png"
    import -window root "$shot" 2>/dev/null || shot="(no screenshot: import failed)"
    echo "FAIL [$step_name]: $*" >&2
    echo "  screenshot: $shot" >&2
    for log in "$work"/velmora-*.log; do
        [ -s "$log" ] && { echo "  $(basename "$log"):" >&2; sed 's/^/    /' "$log" >&2; }
    done
    exit 1
}

# ---- windows -------------------------------------------------------------------------------

window_gone() { [ -z "$(window_of "$1")" ]; }

# Client area of a window on the screen: sets CX CY CW CH.
client_geometry() {
    local info
    info=$(xwininfo -id "$1") || return 1
    CX=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
    CY=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
    CW=$(awk '/^ *Width:/ {print $2}' <<<"$info")
    CH=$(awk '/^ *Height:/ {print $2}' <<<"$info")
}

# The window manager's frame around a window: sets FL (left), FR (right), FT (top), FB
# (bottom).
frame_extents() {
    local values
    values=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ')
    [ -n "$values" ] || return 1
    IFS=, read -r FL FR FT FB <<<"$values"
}

# A window centred on the screen frame and all, as the program places it once the window
# manager has told the frame: sets its client geometry (CX CY CW CH).
centred_with_frame() {
    client_geometry "$1" && frame_extents "$1" || return 1
    local dx=$(((SW - CW - FL - FR) / 2 - (CX - FL))) dy=$(((SH - CH - FT - FB) / 2 - (CY - FT)))
    [ "${dx#-}" -le 1 ] && [ "${dy#-}" -le 1 ]
}

# Looked up until found active: a search that meets a window being destroyed finds nothing.
registration_active() {
    reg=$(window_of '壁紙リスト登録')
    [ -n "$reg" ] && is_active "$reg"
}

# The registration window, active and in its final place: sets reg and its client corner
# (RX RY). Until it is centred with its frame, its controls may still move by half the title
# bar, enough for a click to miss the copy option's box.
registration_window_ready() {
    wait_until 10 registration_active ||
        fail "the registration window did not take the focus (active: $(xdotool getactivewindow 2>&1), window '$reg')"
    wait_until 10 centred_with_frame "$reg" ||
        fail "the registration window is not centred with its frame (client at $CX,$CY ${CW}x$CH)"
    RX=$CX RY=$CY
}

# The work area of the current desktop: sets WAX WAY (its corner) and WAH (its height).
work_area() {
    local desktop values
    desktop=$(xprop -root _NET_CURRENT_DESKTOP | sed -n 's/.*= //p')
    values=$(xprop -root _NET_WORKAREA | sed -n 's/.*= //p' | tr -d ' ')
    [ -n "$values" ] || return 1
    IFS=, read -r -a all <<<"$values"
    local i=$((${desktop:-0} * 4))
    WAX=${all[i]} WAY=${all[i + 1]} WAH=${all[i + 3]}
}

screen_size() {
    local info
    info=$(xwininfo -root)
    SW=$(awk '/^ *Width:/ {print $2}' <<<"$info")
    SH=$(awk '/^ *Height:/ {print $2}' <<<"$info")
}

# The changer window's outer bottom-left corner on the work area's bottom-left corner.
changer_in_corner() {
    local w
    w=$(window_of '^Mosswick$')
    [ -n "$w" ] && client_geometry "$w" && frame_extents "$w" && work_area || return 1
    OUTER_LEFT=$((CX - FL)) OUTER_BOTTOM=$((CY + CH + FB)) OUTER_TOP=$((CY - FT))
    [ "$OUTER_LEFT" = "$WAX" ] && [ "$OUTER_BOTTOM" = $((WAY + WAH)) ]
}

ctrl_click() { xdotool mousemove "$1" "$2" keydown ctrl click 1 keyup ctrl; }

# Client positions of the changer window's buttons, from its layout in twips (15 a pixel).
changer_button() {
    local w
    w=$(window_of '^Mosswick$')
    [ -n "$w" ] || fail "the changer window is not on the screen"
    client_geometry "$w"
    case "$1" in
    prev) BX=$((CX + 12)) ;;     # cmgGoPrev 0, 0, 375, 375
    next) BX=$((CX + 36)) ;;     # cmdGoNext 360, 0, 375, 375
    register) BX=$((CX + 60)) ;; # cmdTouroku 720, 0, 375, 375
    esac
    BY=$((CY + 12))
}

press_changer() {
    changer_button "$1"
    if [ "${2:-}" = ctrl ]; then ctrl_click "$BX" "$BY"; else click "$BX" "$BY"; fi
}

# ---- pictures ------------------------------------------------------------------------------

screenshot() { import -window root "$1" 2>/dev/null; }

# Pixels of two pictures (or parts) farther apart than the fuzz; compare prints the count
# on stderr.
# shellcheck disable=SC2069
differing_pixels() { compare -metric AE -fuzz "$3" "$1" "$2" null: 2>&1 >/dev/null; }

# The bitmap the program wrote is a BMP showing exactly the registered picture (JPEG
# decoders may differ by a step of rounding).
bitmap_shows() {
    local source=$1 fuzz=0%
    [ -f "$bitmap" ] || return 1
    [ "$(head -c2 "$bitmap")" = BM ] || return 1
    [ "$(identify -format '%w %h' "$bitmap" 2>/dev/null)" = \
        "$(identify -format '%w %h' "$source")" ] || return 1
    case "$source" in *.jpg | *.JPG | *.jpeg) fuzz=2% ;; esac
    [ "$(differing_pixels "$bitmap" "$source" "$fuzz")" = 0 ]
}

# The part of the root window that no window covers (everything above the changer window)
# shows the expected picture: the source scaled to cover the screen, centred. Scalers differ
# along colour edges only, so a few pixels may differ (up to a thousandth); a wrong picture
# differs widely.
root_shows() {
    local expected=$1 height=$((OUTER_TOP - 1))
    ROOT_DIFF=unknown
    screenshot "$work/screen.png" || return 1
    convert "$work/screen.png" -crop "${SW}x${height}+0+0" +repage "$work/screen-part.png"
    convert "$expected" -crop "${SW}x${height}+0+0" +repage "$work/expected-part.png"
    ROOT_DIFF=$(differing_pixels "$work/screen-part.png" "$work/expected-part.png" 8%)
    [[ "$ROOT_DIFF" =~ ^[0-9]+$ ]] && [ "$ROOT_DIFF" -le $((SW * height / 1000)) ] &&
        echo "   root window: $ROOT_DIFF of $((SW * height)) pixels off by more than 8%"
}

expected_screen_of() {
    if [ "$1" = black ]; then
        convert -size "${SW}x${SH}" xc:black "$2"
    else
        convert "$1" -resize "${SW}x${SH}^" -gravity center -extent "${SW}x${SH}" "$2"
    fi
}

make_pictures() {
    mkdir -p "$pics"
    # Two colours each and different in every quarter, so that a turned, mirrored or
    # badly cropped wallpaper shows.
    convert -size 160x120 xc:'#d03020' -fill '#2040c0' -draw 'rectangle 80,0 159,59' \
        "BMP3:$pics/a-red.bmp"
    convert -size 160x120 xc:'#20a040' -fill '#e0e020' -draw 'rectangle 0,60 79,119' \
        -quality 95 "$pics/b-green.jpg"
    convert -size 120x160 xc:'#3050e0' -fill '#f0f0f0' -draw 'rectangle 0,0 59,79' \
        "BMP3:$pics/c-blue.BMP"
    for p in a-red.bmp b-green.jpg c-blue.BMP; do
        expected_screen_of "$pics/$p" "$work/screen-$p.png"
    done
    expected_screen_of black "$work/screen-black.png"
}

# ---- lists ---------------------------------------------------------------------------------

entries_in_list() { [ -f "$list" ] && [ "$(($(wc -l <"$list") - 1))" = "$1" ]; }

# Height of a row of a list box and where its first row starts: after a click on the first
# row, the selection's colour runs down the column from the row's top to its bottom.
measure_rows() {
    local x=$1 top=$2 height=$3
    screenshot "$work/rows.png" || return 1
    local run
    run=$(convert "$work/rows.png" -crop "1x${height}+${x}+${top}" -depth 8 txt:- |
        sed -n 's/^[0-9]*,\([0-9]*\): *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3 \4/p' |
        awk '$4 - $2 > 60 { if (s == "") s = $1; e = $1 } END { if (s != "") print s, e - s + 1 }')
    [ -n "$run" ] || return 1
    read -r ROW_START ROW_HEIGHT <<<"$run"
    [ "$ROW_HEIGHT" -ge 8 ] && [ "$ROW_HEIGHT" -le 40 ]
}

# ---- start-up ------------------------------------------------------------------------------

start_velmora() {
    local log="$work/velmora-$1.log"
    shift
    (cd "$work" && exec env "$@" "$app/velmora" >"$log" 2>&1) &
    VELMORA_PID=$!
    pids+=("$VELMORA_PID")
}

velmora_ended() { ! kill -0 "$VELMORA_PID" 2>/dev/null; }

step setup
for tool in xdotool import compare xwininfo xprop; do
    command -v "$tool" >/dev/null || fail "$tool is not installed"
done
[ -n "${DISPLAY:-}" ] || fail "no X server"
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
wait_until 10 wm_running || fail "the window manager did not start"
screen_size
"$panel_binary" 32 &
pids+=($!)
panel_reserved() { work_area && [ "$WAH" -lt "$SH" ]; }
wait_until 10 panel_reserved || fail "the panel did not reserve the bottom of the screen"
mkdir -p "$app"
cp "$velmora_binary" "$app/velmora"
make_pictures

# ---- the changer window --------------------------------------------------------------------

step placement
start_velmora first XDG_CURRENT_DESKTOP= XDG_SESSION_DESKTOP= DESKTOP_SESSION=
wait_until 15 window_of '^Mosswick$' >/dev/null || fail "the changer window did not appear"
wait_until 10 changer_in_corner ||
    fail "outer bottom-left corner at ($OUTER_LEFT, $OUTER_BOTTOM), work area's at" \
        "($WAX, $((WAY + WAH)))"

step second-start
# A second instance that stayed would be ended by the timeout (status 124).
timeout 20 "$app/velmora" >"$work/velmora-second.log" 2>&1
status=$?
[ "$status" = 0 ] || fail "a second start ended with status $status"
count=$(xdotool search --onlyvisible --name '^Mosswick$' | wc -l)
[ "$count" = 1 ] || fail "$count changer windows after a second start"

step empty-list
wait_until 10 test -d "$app/Pic" || fail "Pic/ was not made at start"
before=$(ls -A "$app")
press_changer prev
press_changer next
# The registration window opens after both clicks were handled: a sure point to look.
press_changer register
wait_until 15 window_of '壁紙リスト登録' >/dev/null || fail "the registration window did not open"
[ "$(ls -A "$app")" = "$before" ] || fail "files appeared: $(ls -A "$app" | tr '\n' ' ')"
xprop -root _XROOTPMAP_ID | grep -q 'pixmap id' && fail "a wallpaper was set from an empty list"

# ---- registering ---------------------------------------------------------------------------

step register-two
registration_window_ready
[ "$CW.$CH" = 431.345 ] || fail "registration window client ${CW}x${CH}, not 431x345"
# From the drive selector (focus at opening) to the folder list, which shows the program's
# folder with its subfolders Pic and testpics below it: the last row opens testpics.
xdotool key Tab End Return
# The copy option off: the pictures stay where they are whatever kind of volume holds them.
click $((RX + 16)) $((RY + 332)) # chkFileCopy 120, 4800, 5775, 375
file_x=$((RX + 8)) file_y=$((RY + 160)) # File1 120, 2400, 2295, 1710
click $((file_x + 40)) $((file_y + 4))
wait_until 5 measure_rows $((file_x + 140)) "$file_y" 114 ||
    fail "no selected first row in the file list"
row_center() { echo $(($1 + ROW_START + ROW_HEIGHT * ($2 - 1) + ROW_HEIGHT / 2)); }
ctrl_click $((file_x + 40)) "$(row_center "$file_y" 2)"
click $((RX + 84)) $((RY + 300)) # cmdTouroku 120, 4320, 2295, 375
wait_until 10 entries_in_list 2 || fail "the list file does not hold two entries"
copy_setting=$(head -n1 "$list" | cut -d, -f3 | tr -d '\r')
[ "$copy_setting" = 0 ] || fail "the copy option stayed $copy_setting after its box was clicked"

step register-enter
click $((file_x + 40)) "$(row_center "$file_y" 3)"
xdotool key Return
wait_until 10 entries_in_list 3 || fail "the list file does not hold three entries"

# The drive selector names the volume as "<mount point> [<label>]"; which volume holds the
# folder depends on the machine, but it must be one that holds it.
drive=$(head -n1 "$list" | cut -d, -f1)
mount_point=${drive% \[*}
[[ "$drive" == *"]" && "$app/" == "${mount_point%/}/"* ]] ||
    fail "drive \"$drive\" is not a volume holding $app"
entry() { printf '%s/,%s,%s/%s,0\r\n' "$pics" "$1" "$pics" "$1"; }
{
    printf '%s,%s,0\r\n' "$drive" "$pics"
    entry a-red.bmp
    entry b-green.jpg
    entry c-blue.BMP
} >"$work/expected-3.def"
cmp -s "$list" "$work/expected-3.def" ||
    fail "list file after registering:$(echo; cat -A "$list")"

step about-keeps-changer
# The About window minimises the registration window only: the changer window, which the
# registration window does not belong to, stays on the screen.
wm_state_of() { xprop -id "$1" WM_STATE 2>/dev/null | sed -n 's/.*window state: //p'; }
changer=$(window_of '^Mosswick$')
click $((RX + 390)) $((RY + 92)) # cmdAbout 5520, 1200, 855, 375
wait_until 15 window_of 'バージョン情報' >/dev/null || fail "the About window did not open"
about=$(window_of 'バージョン情報')
wait_until 10 is_active "$about" || fail "the About window did not take the focus"
wait_until 10 test "$(wm_state_of "$reg")" = Iconic ||
    fail "the registration window is $(wm_state_of "$reg"), not minimised"
[ "$(wm_state_of "$changer")" = Normal ] ||
    fail "with the About window open the changer window is $(wm_state_of "$changer")"
xdotool key Return # OK holds the focus
wait_until 10 window_gone 'バージョン情報' || fail "the About window did not close"
wait_until 10 test "$(wm_state_of "$reg")" = Normal || fail "the registration window was not restored"
[ "$(wm_state_of "$changer")" = Normal ] || fail "the changer window is $(wm_state_of "$changer")"

step close-registration
wait_until 5 is_active "$reg" || fail "the registration window lost the focus"
xdotool key alt+F4
wait_until 10 window_gone '壁紙リスト登録' || fail "the registration window did not close"

# ---- stepping on the X root window ---------------------------------------------------------

changer_in_corner || fail "the changer window moved"
n=0
for picture in a-red.bmp b-green.jpg c-blue.BMP; do
    n=$((n + 1))
    step "next-$n-$picture"
    press_changer next
    wait_until 10 bitmap_shows "$pics/$picture" || fail "the bitmap does not show $picture"
    wait_until 10 root_shows "$work/screen-$picture.png" ||
        fail "the root window does not show $picture ($ROOT_DIFF pixels differ)"
done

step ctrl-click-removes
press_changer next ctrl
wait_until 10 root_shows "$work/screen-black.png" ||
    fail "the root window is not black ($ROOT_DIFF pixels differ)"
bitmap_shows "$pics/c-blue.BMP" || fail "removing the wallpaper changed the bitmap"

# ---- removing ------------------------------------------------------------------------------

step remove-one
press_changer register
wait_until 15 window_of '壁紙リスト登録' >/dev/null || fail "the registration window did not open"
registration_window_ready
registered_y=$((RY + 32)) # lstTourokuFileList 2880, 480, 2535, 1500
click $((RX + 192 + 40)) "$(row_center "$registered_y" 2)"
click $((RX + 368 + 28)) $((RY + 104 + 12)) # cmdDelete 5520, 1560, 855, 375
wait_until 10 window_of '登録削除確認' >/dev/null || fail "no confirmation box"
box=$(window_of '登録削除確認')
wait_until 10 is_active "$box" || fail "the confirmation box did not take the focus"
# "いいえ" is preselected; one Tab reaches "はい".
xdotool key Tab space
wait_until 10 window_gone '登録削除確認' || fail "the confirmation box stayed"
wait_until 10 entries_in_list 2 || fail "the list file does not hold two entries"
{
    printf '%s,%s,0\r\n' "$drive" "$pics"
    entry a-red.bmp
    entry c-blue.BMP
} >"$work/expected-2.def"
cmp -s "$list" "$work/expected-2.def" || fail "list file after removing:$(echo; cat -A "$list")"
[ -f "$pics/b-green.jpg" ] || fail "removing an entry deleted its picture"
[ -z "$(ls -A "$app/Pic")" ] || fail "Pic/ is not empty: $(ls -A "$app/Pic")"
wait_until 5 is_active "$reg" || fail "the registration window did not get the focus back"
xdotool key alt+F4
wait_until 10 window_gone '壁紙リスト登録' || fail "the registration window did not close"

step next-after-removal
# The position was on the third entry; the list has shrunk to two, so ">" starts over.
press_changer next
wait_until 10 bitmap_shows "$pics/a-red.bmp" || fail "the bitmap does not show a-red.bmp"
wait_until 10 root_shows "$work/screen-a-red.bmp.png" ||
    fail "the root does not show a-red.bmp ($ROOT_DIFF pixels differ)"

step close-keeps-wallpaper
wait_until 5 is_active "$(window_of '^Mosswick$')" || fail "the changer window is not active"
xdotool key alt+F4
wait_until 10 velmora_ended || fail "the program did not end after its window closed"
wait "$VELMORA_PID"
status=$?
[ "$status" = 0 ] || fail "the program ended with status $status"
window_gone '^Mosswick$' || fail "the changer window stayed"
root_shows "$work/screen-a-red.bmp.png" ||
    fail "the wallpaper did not stay after the close ($ROOT_DIFF pixels differ)"
cmp -s "$list" "$work/expected-2.def" || fail "closing changed the list file"

# ---- the GNOME family: real GSettings in this private D-Bus session ------------------------

background() { gsettings get org.gnome.desktop.background "$1"; }

# The file a picture-uri value names.
file_of_uri() {
    local uri=${1#\'}
    uri=${uri%\'}
    [[ "$uri" == file://* ]] || return 1
    uri=${uri#file://}
    printf '%b' "${uri//%/\\x}"
}

uri_of_file() {
    local LC_ALL=C s=$1 out="" c i
    for ((i = 0; i < ${#s}; i++)); do
        c=${s:i:1}
        case "$c" in
        [A-Za-z0-9/._~-]) out+=$c ;;
        *) out+=$(printf '%%%02X' "'$c") ;;
        esac
    done
    printf "'file://%s'" "$out"
}

# The desktop's setting names a file showing the picture, and a different name from the
# previous step, so that the desktop notices the change.
gnome_shows() {
    local uri file
    uri=$(background picture-uri) || return 1
    [ "$uri" != "$previous_uri" ] || return 1
    file=$(file_of_uri "$uri") || return 1
    [ -f "$file" ] || return 1
    [ "$(background picture-options)" != "'none'" ] || return 1
    [ "$(differing_pixels "$file" "$1" 0%)" = 0 ] 2>/dev/null || return 1
    previous_uri=$uri
}

step gnome-start
[ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] || fail "no private D-Bus session"
gsettings list-keys org.gnome.desktop.background >/dev/null 2>&1 ||
    fail "the schema org.gnome.desktop.background is not installed"
previous_uri=$(background picture-uri)
start_velmora gnome XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_DESKTOP= DESKTOP_SESSION=
wait_until 15 window_of '^Mosswick$' >/dev/null || fail "the changer window did not appear"
wait_until 10 changer_in_corner || fail "the changer window is not in its corner"

n=0
for picture in a-red.bmp c-blue.BMP a-red.bmp c-blue.BMP; do
    n=$((n + 1))
    if [ "$n" = 4 ]; then
        step gnome-ctrl-click-removes
        press_changer next ctrl
        wait_until 10 test "$(background picture-options)" = "'none'" ||
            fail "picture-options is $(background picture-options), not 'none'"
    fi
    step "gnome-next-$n-$picture"
    press_changer next
    wait_until 10 bitmap_shows "$pics/$picture" || fail "the bitmap does not show $picture"
    wait_until 10 gnome_shows "$pics/$picture" ||
        fail "picture-uri $(background picture-uri) does not show $picture"
done

step gnome-close
wait_until 5 is_active "$(window_of '^Mosswick$')" || fail "the changer window is not active"
xdotool key alt+F4
wait_until 10 velmora_ended || fail "the program did not end after its window closed"
wait "$VELMORA_PID"
status=$?
[ "$status" = 0 ] || fail "the program ended with status $status"
expected_uri=$(uri_of_file "$bitmap")
[ "$(background picture-uri)" = "$expected_uri" ] ||
    fail "stored picture-uri $(background picture-uri), expected $expected_uri"
if gsettings list-keys org.gnome.desktop.background | grep -qx picture-uri-dark; then
    [ "$(background picture-uri-dark)" = "$expected_uri" ] ||
        fail "stored picture-uri-dark $(background picture-uri-dark), expected $expected_uri"
fi
[ "$(background picture-options)" != "'none'" ] || fail "the stored setting shows no picture"
bitmap_shows "$pics/c-blue.BMP" || fail "the bitmap does not show the last picture"

step finished
echo "PASS: end to end on the X root window and on GNOME settings"
