#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs every fuzz target of a fuzz build with the given libFuzzer options, e.g.
#   tests/fuzz/run-fuzzers.sh build-fuzz -max_total_time=60
#   tests/fuzz/run-fuzzers.sh build-fuzz -runs=10000000
# Each target starts from a scratch copy of its seed corpus (tests/fuzz/corpus/<target>/),
# so the committed corpus never changes. Any crash, leak, timeout or memory finding fails
# the run; its reproducer is kept in <build>/fuzz-findings/<target>/. FUZZ_TARGETS (names
# separated by blanks) runs only some of the targets.
set -u
if [ $# -lt 1 ]; then
    echo "usage: $0 <fuzz build folder> [libFuzzer options...]" >&2
    exit 2
fi
build=$(cd "$1" && pwd) || exit 2
shift
here=$(cd "$(dirname "$0")" && pwd)
read -r -a targets <<<"${FUZZ_TARGETS:-list_reader list_roundtrip picture}"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/velmora-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# Per target: a case that runs longer than this is a hang; list files are explored up to
# 2 KB (the reader is linear, longer ones only slow the search); the picture path must also
# stay within a fixed memory bound (the harness skips decoding pictures above 4 megapixels).
extra_options() {
    case "$1" in
    picture) echo "-timeout=25 -rss_limit_mb=2048 -malloc_limit_mb=512" ;;
    *) echo "-timeout=25 -max_len=2048" ;;
    esac
}

failed=0
summary=()
for target in "${targets[@]}"; do
    binary="$build/fuzzers/$target"
    if [ ! -x "$binary" ]; then
        summary+=("$target: MISSING ($binary not built)")
        failed=1
        continue
    fi
    corpus="$scratch/$target/corpus"
    artifacts="$scratch/$target/artifacts"
    mkdir -p "$corpus" "$artifacts"
    cp "$here/corpus/$target/"* "$corpus/" || { failed=1; continue; }
    seeds=$(ls "$corpus" | wc -l)
    log="$scratch/$target/log"
    echo "== $target: $seeds seeds, options: $(extra_options "$target") $*"
    # shellcheck disable=SC2046
    "$binary" $(extra_options "$target") -print_final_stats=1 "$@" \
        -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1
    status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    seconds=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
    found=$(ls "$artifacts" | wc -l)
    if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
        failed=1
        kept="$build/fuzz-findings/$target"
        mkdir -p "$kept"
        [ "$found" -ne 0 ] && cp "$artifacts/"* "$kept/"
        cp "$log" "$kept/log"
        grep -E -m 5 "ERROR|property broken|runtime error|Test unit written" "$log"
        summary+=("$target: FAILED (exit $status) after ${runs:-?} executions; reproducers and log in $kept")
    else
        summary+=("$target: ${runs:-?} executions in ${seconds:-?} s, corpus $seeds -> $(ls "$corpus" | wc -l) files, no findings")
    fi
done

echo "== fuzzing summary"
printf '%s\n' "${summary[@]}"
exit $failed
