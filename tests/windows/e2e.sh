#!/bin/bash
# SPDX-License-Identifier: MIT
# velmora.exe end to end under wine, driven by xdotool (run inside x-session.sh): the
# changer window at the work area's bottom-left corner, the registration window, a picture
# registered into the list file, the About window, ">" making it the wallpaper that the
# screen then shows, Ctrl+click taking it off, the registration removed again after a
# confirmation, and the close storing the last choice.
#   e2e.sh VELMORA_EXE WALLPAPER_PROBE_EXE SAMPLE_JPG
set -euo pipefail
exe=$1 probe=$2 sample=$3
: "${WINEPREFIX:?}" "${DISPLAY:?}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

# The data folder is the program's own, on C:, a fixed disk: nothing is copied to Pic\.
data="$WINEPREFIX/drive_c/velmora-e2e"
winData='C:\velmora-e2e'
rm -rf "$data" && mkdir -p "$data"
cp "$exe" "$data/velmora.exe"
cp "$sample" "$data/sample.jpg"

# What the screen showed goes beside the prefix, for the one who reads the failure.
fail() {
    echo "FAIL: $*" >&2
    import -window root "$WINEPREFIX-failure.png" 2>/dev/null || true
    exit 1
}
# wait_until, the polling the Linux end-to-end tests use.
source "$(dirname "$0")/../support/script-steps.sh"
window() { timeout 60 xdotool search --sync --onlyvisible --name "$1" | head -n 1; }
gone() { ! xdotool search --name "$1" >/dev/null 2>&1; }
# xwininfo, not xdotool getwindowgeometry: that counts a window's offset in its parent twice.
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
        /Width:/ { w = $2 } /Height:/ { h = $2 } END { print "X=" x, "Y=" y, "WIDTH=" w, "HEIGHT=" h }'
}
heightOf() { xwininfo -id "$1" | awk '/Height:/ { print $2 }'; }
# The X screen's colour at x,y as "red green blue", 0 to 255.
pixel() {
    import -window root -crop "1x1+$1+$2" -depth 8 txt:- |
        sed -n 's/^0,0: *(\([0-9]*\),\([0-9]*\),\([0-9]*\)).*/\1 \2 \3/p'
}
read -r screenWidth screenHeight <<<"$(xdotool getdisplaygeometry)"

# The dialogs' font, as Windows has it for Japanese, from the IPA font here.
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
    /v 'MS UI Gothic' /d IPAPGothic /f >/dev/null 2>&1
# No stored wallpaper from an earlier run: only this run's close may store one.
wine reg delete 'HKCU\Control Panel\Desktop' /v Wallpaper /f >/dev/null 2>&1 || true
# Wine draws a wallpaper only on a virtual desktop of its own: that becomes the default, and
# the desktop comes up again as one, the size of the screen.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default \
    /d "${screenWidth}x$screenHeight" /f >/dev/null 2>&1
"$(dirname "$0")/wine-run.sh" --setup

wine "$winData\\velmora.exe" </dev/null >/dev/null 2>&1 &
program=$!
trap 'kill $program 2>/dev/null || true' EXIT

changer=$(window '^Mosswick$') || fail "the changer window did not appear"
eval "$(geometry "$changer")"
echo "changer at $X,$Y size ${WIDTH}x$HEIGHT, screen height $screenHeight"
# On wine's desktop an X window is the whole window, frame included.
((X == 0)) || fail "changer not at the left edge: $X"
((Y + HEIGHT == screenHeight)) || fail "changer not at the bottom: $((Y + HEIGHT)) of $screenHeight"
# Its client area is 72 x 24 pixels at 96 dpi: the rest is the frame, the same for every window.
frameX=$(((WIDTH - 72) / 2)) frameY=$((HEIGHT - 24 - (WIDTH - 72) / 2))
# pointAt WINDOW X Y XDOTOOL-COMMANDS: the pointer to x,y of the client area, then the rest.
pointAt() {
    local x=$(($2 + frameX)) y=$(($3 + frameY)) w=$1
    shift 3
    xdotool mousemove --window "$w" "$x" "$y" "$@"
}

# The sample, 32 x 32 pixels, red above blue, drawn unstretched in the desktop's middle.
midX=$((screenWidth / 2)) midY=$((screenHeight / 2))
showsSample() {
    local r g b
    read -r r g b <<<"$(pixel "$midX" $((midY - 8)))"
    ((r > 200 && g < 60 && b < 60)) || return 1
    read -r r g b <<<"$(pixel "$midX" $((midY + 8)))"
    ((b > 200 && r < 60 && g < 60))
}
showsNoSample() { ! showsSample; }
showsNoSample || fail "the desktop shows the sample before any step"

# A second start on the same data folder ends by itself and shows nothing.
timeout 60 wine "$winData\\velmora.exe" </dev/null >/dev/null 2>&1 || fail "the second start did not end"
(($(xdotool search --name '^Mosswick$' | wc -l) == 1)) || fail "a second changer window"

# The hammer: 720 twips from the left, 48 pixels at 96 dpi.
pointAt "$changer" 60 12 click 1
touroku=$(window '壁紙リスト登録') || fail "the registration window did not open"

# The file list's first row (120, 2400 twips), then "登録" (120, 4320 twips).
listFile="$data/Kabegamilist.def"
pointAt "$touroku" 40 168 click 1
pointAt "$touroku" 80 300 click 1
written() { [[ -f $listFile ]] && (($(wc -l <"$listFile") == 2)); }
wait_until 10 written || fail "registering wrote no list file"
header=$(head -n 1 "$listFile")
entry=$(tail -n 1 "$listFile")
expectedEntry=$'C:\\velmora-e2e\\,sample.jpg,C:\\velmora-e2e\\sample.jpg,0\r'
[[ $entry == "$expectedEntry" ]] || fail "entry line: $(printf %q "$entry")"
[[ $header == *$',C:\\velmora-e2e,1\r' ]] || fail "header line: $(printf %q "$header")"

# "about..." shows the About window over the minimised registration window; "OK" closes it
# and brings the registration window back.
registrationHeight=$(heightOf "$touroku")
pointAt "$touroku" 396 92 click 1
about=$(window '^バージョン情報$') || fail "the About window did not open"
minimised() { (($(heightOf "$touroku") < registrationHeight)); }
wait_until 10 minimised || fail "the registration window stayed as it was behind the About window"
pointAt "$about" 304 192 click 1
wait_until 10 gone '^バージョン情報$' || fail "OK did not close the About window"
restored() { (($(heightOf "$touroku") == registrationHeight)); }
wait_until 10 restored || fail "the registration window was not restored after the About window"

xdotool windowfocus --sync "$touroku" key alt+F4
wait_until 10 gone '壁紙リスト登録' || fail "the registration window did not close"

# ">" applies the entry just registered.
pointAt "$changer" 36 12 click 1
bitmap="$winData\\Mosswick壁紙.BMP"
applied() { [[ $(wine "$probe" 2>/dev/null) == "$bitmap" ]]; }
wait_until 10 applied || fail "wallpaper: $(wine "$probe" 2>/dev/null)"
[[ $(head -c 2 "$data/Mosswick壁紙.BMP") == BM ]] || fail "the wallpaper bitmap is no BMP"
wait_until 10 showsSample || fail "the desktop does not show the sample: $(pixel "$midX" "$midY")"

# Ctrl+click removes the wallpaper; the next plain ">" applies the one entry again.
pointAt "$changer" 36 12 keydown ctrl click 1 keyup ctrl
removed() { [[ -z $(wine "$probe" 2>/dev/null) ]]; }
wait_until 10 removed || fail "Ctrl+click left the wallpaper: $(wine "$probe" 2>/dev/null)"
wait_until 10 showsNoSample || fail "the desktop still shows the sample after Ctrl+click"
pointAt "$changer" 36 12 click 1
wait_until 10 applied || fail "wallpaper after the removal: $(wine "$probe" 2>/dev/null)"
wait_until 10 showsSample || fail "the desktop does not show the sample again"

# Removing asks first, with "No" as the default: Enter keeps the entry, "y" removes it.
pointAt "$changer" 60 12 click 1
touroku=$(window '壁紙リスト登録') || fail "the registration window did not open again"
pointAt "$touroku" 220 40 click 1
pointAt "$touroku" 396 116 click 1
box=$(window '登録削除確認') || fail "no confirmation before removing"
xdotool windowfocus --sync "$box" key Return
wait_until 10 gone '登録削除確認' || fail "the confirmation did not close"
(($(wc -l <"$listFile") == 2)) || fail "Enter removed the entry"
pointAt "$touroku" 396 116 click 1
box=$(window '登録削除確認') || fail "no confirmation the second time"
xdotool windowfocus --sync "$box" key y
removedFromList() { (($(wc -l <"$listFile") == 1)); }
wait_until 10 removedFromList || fail "answering yes left the entry"
xdotool windowfocus --sync "$touroku" key alt+F4
wait_until 10 gone '壁紙リスト登録' || fail "the registration window did not close again"

# Closing stores the last choice in the user's settings.
xdotool windowfocus --sync "$changer" key alt+F4
wait_until 10 gone '^Mosswick$' || fail "the changer window did not close"
wait "$program"
stored=$(wine reg query 'HKCU\Control Panel\Desktop' /v Wallpaper 2>/dev/null | tr -d '\r' || true)
[[ $stored == *"REG_SZ    $winData\\Mosswick"* ]] || fail "stored wallpaper: $stored"
echo "PASS"
