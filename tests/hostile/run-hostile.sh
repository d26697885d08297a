#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the hostile picture test twice, as it is and with QT_IMAGEIO_MAXALLOC=0 (so that no
# limit of Qt's image readers can be what holds), each under /usr/bin/time -v, and fails
# unless both pass and each peak resident memory stays under the limit.
#   run-hostile.sh <tests/run-test.sh> <test program> <address space MiB, 0: none> <peak MiB>
# The address-space limit makes any large allocation fail outright, even one never touched;
# sanitizer builds reserve huge shadow areas and run without it.
set -u
runner=$1 program=$2 address_space_mb=$3 peak_limit_mb=$4
if [ ! -x /usr/bin/time ]; then
    echo "run-hostile.sh: /usr/bin/time is missing (Debian package time)" >&2
    exit 1
fi
report=$(mktemp)
trap 'rm -f "$report"' EXIT

failed=0
for maxalloc in unset 0; do
    echo "== QT_IMAGEIO_MAXALLOC=$maxalloc, address space limit ${address_space_mb} MiB"
    (
        [ "$address_space_mb" -gt 0 ] && ulimit -v $((address_space_mb * 1024))
        if [ "$maxalloc" = unset ]; then
            unset QT_IMAGEIO_MAXALLOC
        else
            export QT_IMAGEIO_MAXALLOC=$maxalloc
        fi
        exec "$runner" -- /usr/bin/time -v -o "$report" "$program"
    )
    status=$?
    peak_kb=$(sed -n 's/^[[:space:]]*Maximum resident set size (kbytes): //p' "$report")
    if [ -z "$peak_kb" ]; then
        echo "run-hostile.sh: no peak memory measured" >&2
        cat "$report" >&2
        failed=1
        continue
    fi
    echo "peak resident memory (/usr/bin/time): $((peak_kb / 1024)) MiB ($peak_kb KiB), limit $peak_limit_mb MiB"
    if [ "$status" -ne 0 ]; then
        echo "run-hostile.sh: the test failed (exit $status)" >&2
        failed=1
    fi
    if [ "$peak_kb" -ge $((peak_limit_mb * 1024)) ]; then
        echo "run-hostile.sh: peak memory over the limit" >&2
        failed=1
    fi
done
exit $failed
