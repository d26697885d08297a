#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# --help and --version answer without a display and without the instance lock; without a
# display the program says so and fails instead of aborting inside Qt.
# Usage: command-line.sh <velmora binary>
set -u
velmora=$1
out=$(mktemp -d "${TMPDIR:-/tmp}/velmora-cli.XXXXXX")
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
headless() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }

headless timeout 20 "$velmora" --help >"$out/help" 2>"$out/help.err"
status=$?
[ "$status" = 0 ] || fail "--help ended with status $status: $(cat "$out/help.err")"
grep -q '^Usage: velmora' "$out/help" || fail "--help printed: $(cat "$out/help")"

# Other arguments are ignored, also before the option.
headless timeout 20 "$velmora" ignored --version >"$out/version" 2>&1
status=$?
[ "$status" = 0 ] || fail "--version ended with status $status"
grep -Eqx 'velmora [0-9]+(\.[0-9]+)+' "$out/version" || fail "--version printed: $(cat "$out/version")"

headless timeout 20 "$velmora" >"$out/run" 2>"$out/run.err"
status=$?
# 134 is Qt's abort; 124 a program that waited instead of ending.
[ "$status" = 1 ] || fail "without a display the status is $status, not 1: $(cat "$out/run.err")"
grep -q 'DISPLAY' "$out/run.err" || fail "without a display it said: $(cat "$out/run.err")"
echo "PASS: --help, --version and a start without a display"
