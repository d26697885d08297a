#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs one command with an X server of its own and a wine prefix (WINEPREFIX) whose server
# and desktop were started on that display: wine draws windows only on the display its
# desktop process came up with. Ends its own server and display afterwards.
#   x-session.sh COMMAND ARGS
set -eu
: "${WINEPREFIX:?}"
here=$(cd "$(dirname "$0")" && pwd)
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb=$!
read -r display <"$fifo"
rm -f "$fifo"
export DISPLAY=":$display"
finish() {
    "$here/wine-run.sh" --cleanup
    kill "$xvfb" 2>/dev/null || true
}
trap finish EXIT
trap 'exit 1' INT TERM
"$here/wine-run.sh" --setup
status=0
"$@" || status=$?
exit $status
