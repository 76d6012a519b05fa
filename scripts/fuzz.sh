#!/bin/sh
# Builds the libFuzzer targets (preset fuzz: clang, ASan + UBSan) and runs
# each for SECONDS (default 3) on its corpus, tests/fuzz/corpus/<target>.
# New inputs go to a temporary folder: the committed corpus stays as it is.
# Any finding (a failed property, a sanitizer report, a leak, a timeout)
# fails the script, and the input that caused it is kept in
# build/fuzz/findings/. Longer campaigns: tests/fuzz/README.md.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-3}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

findings=build/fuzz/findings
mkdir -p "$findings"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

status=0
for source in tests/fuzz/fuzz_*.cpp; do
    target=$(basename "$source" .cpp)
    corpus=tests/fuzz/corpus/$target
    mkdir "$scratch/$target"
    [ -d "$corpus" ] || corpus=$scratch/$target
    log=$scratch/$target.log
    if build/fuzz/tests/fuzz/"$target" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/$target-" \
        "$scratch/$target" "$corpus" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "$target: $runs runs in ${seconds} s, no finding"
    else
        cat "$log"
        echo "$target: FINDING, the input is in $findings/" >&2
        status=1
    fi
done
exit $status
