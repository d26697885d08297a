#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs the Windows tests' programs under wine in the build's own prefix (WINEPREFIX, set by
# CTest). A crash ends the program instead of waiting in wine's debugger.
#   wine-run.sh --setup      creates the prefix when missing and keeps one wineserver
#   wine-run.sh --cleanup    ends that wineserver and what runs in it
#   wine-run.sh PROGRAM ARGS runs one program (CTest's emulator)
set -eu
: "${WINEPREFIX:?}"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko (nothing here needs them, and they cannot be fetched), no debugger.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
case "${1:-}" in
--setup)
    log="$WINEPREFIX.log"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot -i >"$log" 2>&1
        wineserver -w
    fi
    # A server left by an interrupted run would refuse a new one: it goes first.
    wineserver -k 2>/dev/null || true
    wineserver -w
    # A persistent server, and wine's own services started now with their output away from
    # CTest: a process that kept a test's pipe open would make CTest wait for it.
    wineserver -p </dev/null >>"$log" 2>&1
    wine cmd /c exit </dev/null >>"$log" 2>&1
    ;;
--cleanup)
    wineserver -k 2>/dev/null || true
    ;;
*)
    exec wine "$@"
    ;;
esac
