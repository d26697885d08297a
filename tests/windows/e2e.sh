#!/bin/bash
# SPDX-License-Identifier: MIT
# velmora.exe end to end under wine, driven by xdotool (run inside x-session.sh): the
# changer window at the work area's bottom-left corner, the registration window, two
# pictures registered into the list file, the About window, ">" making each in turn the
# wallpaper that the screen then shows, Ctrl+click taking it off, a registration removed
# again after a confirmation, and the close storing the last choice.
#   e2e.sh VELMORA_EXE WALLPAPER_PROBE_EXE SAMPLE_JPG SECOND_JPG
set -euo pipefail
exe=$1 probe=$2 sample=$3 second=$4
: "${WINEPREFIX:?}" "${DISPLAY:?}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

# The data folder is the program's own, on C:, a fixed disk: nothing is copied to Pic\.
data="$WINEPREFIX/drive_c/velmora-e2e"
winData='C:\velmora-e2e'
rm -rf "$data" && mkdir -p "$data"
cp "$exe" "$data/velmora.exe"
cp "$sample" "$data/sample.jpg"
cp "$second" "$data/second.jpg"

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

# The pictures, 32 x 32 pixels each, drawn unstretched in the desktop's middle: the sample
# red above blue, the second green above yellow.
midX=$((screenWidth / 2)) midY=$((screenHeight / 2))
# A pixel's red, green and blue, each h(igh, over 200), l(ow, under 60) or m(iddling).
levels() {
    local r g b c out=""
    read -r r g b <<<"$(pixel "$1" "$2")"
    for c in "${r:-128}" "${g:-128}" "${b:-128}"; do
        if ((c > 200)); then out+=h; elif ((c < 60)); then out+=l; else out+=m; fi
    done
    echo "$out"
}
shows() { [[ $(levels "$midX" $((midY - 8))) == "$1" && $(levels "$midX" $((midY + 8))) == "$2" ]]; }
showsSample() { shows hll llh; }
showsSecond() { shows lhl hhl; }
showsNeither() { ! showsSample && ! showsSecond; }
showsNeither || fail "the desktop shows a picture before any step"

# A second start on the same data folder ends by itself and shows nothing.
timeout 60 wine "$winData\\velmora.exe" </dev/null >/dev/null 2>&1 || fail "the second start did not end"
(($(xdotool search --name '^Mosswick$' | wc -l) == 1)) || fail "a second changer window"

# The hammer: 720 twips from the left, 48 pixels at 96 dpi.
pointAt "$changer" 60 12 click 1
touroku=$(window '壁紙リスト登録') || fail "the registration window did not open"

# The file list's first row (120, 2400 twips) and, with Shift+Down, the second, then "登録"
# (120, 4320 twips).
listFile="$data/Kabegamilist.def"
pointAt "$touroku" 40 168 click 1
xdotool windowfocus --sync "$touroku" key shift+Down
pointAt "$touroku" 80 300 click 1
written() { [[ -f $listFile ]] && (($(wc -l <"$listFile") == 3)); }
wait_until 10 written || fail "registering did not write both pictures: $(cat "$listFile" 2>/dev/null)"
header=$(head -n 1 "$listFile")
for name in sample second; do
    entry=$(grep -a -F ",$name.jpg," "$listFile" || true)
    expectedEntry="C:\\velmora-e2e\\,$name.jpg,C:\\velmora-e2e\\$name.jpg,0"$'\r'
    [[ $entry == "$expectedEntry" ]] || fail "entry line: $(printf %q "$entry")"
done
[[ $(sed -n 2p "$listFile") == *,sample.jpg,* ]] || fail "the entries are out of order"
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

# ">" applies the first entry, the next ">" the second under the same bitmap name: the
# desktop shows each picture in turn.
pointAt "$changer" 36 12 click 1
bitmap="$winData\\Mosswick壁紙.BMP"
applied() { [[ $(wine "$probe" 2>/dev/null) == "$bitmap" ]]; }
wait_until 10 applied || fail "wallpaper: $(wine "$probe" 2>/dev/null)"
[[ $(head -c 2 "$data/Mosswick壁紙.BMP") == BM ]] || fail "the wallpaper bitmap is no BMP"
wait_until 10 showsSample || fail "the desktop does not show the sample: $(pixel "$midX" "$midY")"
pointAt "$changer" 36 12 click 1
wait_until 10 showsSecond || fail "the second step does not show the second picture: $(pixel "$midX" "$midY")"

# Ctrl+click removes the wallpaper; the next plain ">" goes round to the first entry.
pointAt "$changer" 36 12 keydown ctrl click 1 keyup ctrl
removed() { [[ -z $(wine "$probe" 2>/dev/null) ]]; }
wait_until 10 removed || fail "Ctrl+click left the wallpaper: $(wine "$probe" 2>/dev/null)"
wait_until 10 showsNeither || fail "the desktop still shows a picture after Ctrl+click"
pointAt "$changer" 36 12 click 1
wait_until 10 applied || fail "wallpaper after the removal: $(wine "$probe" 2>/dev/null)"
wait_until 10 showsSample || fail "the desktop does not show the sample again"

# Removing the first entry asks first, with "No" as the default: Enter keeps it, "y" removes
# it.
pointAt "$changer" 60 12 click 1
touroku=$(window '壁紙リスト登録') || fail "the registration window did not open again"
pointAt "$touroku" 220 40 click 1
pointAt "$touroku" 396 116 click 1
box=$(window '登録削除確認') || fail "no confirmation before removing"
xdotool windowfocus --sync "$box" key Return
wait_until 10 gone '登録削除確認' || fail "the confirmation did not close"
(($(wc -l <"$listFile") == 3)) || fail "Enter removed the entry"
pointAt "$touroku" 396 116 click 1
box=$(window '登録削除確認') || fail "no confirmation the second time"
xdotool windowfocus --sync "$box" key y
removedFromList() { (($(wc -l <"$listFile") == 2)); }
wait_until 10 removedFromList || fail "answering yes left the entry"
[[ $(tail -n 1 "$listFile") == *,second.jpg,* ]] || fail "not the first entry removed: $(cat "$listFile")"
xdotool windowfocus --sync "$touroku" key alt+F4
wait_until 10 gone '壁紙リスト登録' || fail "the registration window did not close again"

# Closing stores the last choice in the user's settings.
xdotool windowfocus --sync "$changer" key alt+F4
wait_until 10 gone '^Mosswick$' || fail "the changer window did not close"
wait "$program"
stored=$(wine reg query 'HKCU\Control Panel\Desktop' /v Wallpaper 2>/dev/null | tr -d '\r' || true)
[[ $stored == *"REG_SZ    $winData\\Mosswick"* ]] || fail "stored wallpaper: $stored"
echo "PASS"
