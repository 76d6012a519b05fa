#!/bin/bash
# Brisa.exe against the least a program can do for the same result.
#
#   bench/run_bench.sh [N ...]        (default: 2000 20000)
#
# For every N: a tree of N files of 4 KiB, then side by side
#   - a Silent Mode run of Brisa.exe on the tree (wall clock),
#   - reference_copy.exe: the same single shell request and attribute pass,
#   - xcopy /E /I /H followed by attrib +R /S, for the record,
#   - Brisa's own work: its start-up (a run with Use=2, which ends right after
#     reading its settings) plus walk, lists and attribute pass as timed by
#     walk_bench --own-work on the copy the Brisa run left behind.
#
# Environment:
#   REPS        Brisa/reference pairs per N, alternating which goes first;
#               default 3 up to 5000 files, 1 above (a 20,000-file copy takes
#               minutes)
#   XCOPY=0     skip the xcopy + attrib run
#   KEEP=1      keep the source trees and the last outputs
#   WINEPREFIX  default build/mingw/bench-prefix, made on first use
#
# Build first: cmake --build build/mingw --target Brisa make_tree walk_bench reference_copy
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
bin=$repo/build/mingw/bin
export WINEPREFIX=${WINEPREFIX:-$repo/build/mingw/bench-prefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
XCOPY=${XCOPY:-1}
KEEP=${KEEP:-0}
MASK=33 # read-only + archive, as the settings below ask
sizes=("$@")
if [ ${#sizes[@]} -eq 0 ]; then
    sizes=(2000 20000)
fi

for exe in Brisa make_tree walk_bench reference_copy; do
    if [ ! -f "$bin/$exe.exe" ]; then
        echo "run_bench: $bin/$exe.exe is missing; build it first" >&2
        exit 2
    fi
done

"$repo/scripts/wine-prefix.sh" up "$WINEPREFIX" </dev/null >/dev/null 2>&1

win='C:\larkspur-bench'
unix=$WINEPREFIX/drive_c/larkspur-bench
logs=$repo/build/mingw/bench-logs
mkdir -p "$unix" "$logs"
log=$logs/run_bench-$(date +%Y%m%d-%H%M%S).log
: >"$log"

# Two installs of Brisa.exe: one that copies, one that only starts.
write_ini() { # folder use
    mkdir -p "$1"
    cp "$bin/Brisa.exe" "$1/Brisa.exe"
    printf '[Silent]\r\nUse=%s\r\nLocation=%s\\out\\brisa\r\nForce=1\r\nAttributes=1\r\nReadOnly=1\r\nHidden=0\r\nSystem=0\r\nArchive=1\r\n' \
        "$2" "$win" >"$1/Brisa.ini"
}
write_ini "$unix/app" 1
write_ini "$unix/app-idle" 2

now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
count_files() { { find "$1" -type f 2>/dev/null || true; } | wc -l; }
field() { { grep -o "$1=[0-9.]*" || echo "$1=0"; } | head -1 | cut -d= -f2; }
calc() { awk "BEGIN { printf \"%.${2:-3}f\", $1 }"; }

failed=0
fail() {
    echo "  FAIL: $*"
    echo "FAIL: $*" >>"$log"
    failed=1
}

# Runs a Windows program under a time limit with its output going to the log;
# sets rc and secs.
run() { # limit command...
    local limit=$1 start
    shift
    echo "\$ $*" >>"$log"
    sync
    start=$(now)
    if timeout "$limit" "$@" </dev/null >>"$log" 2>&1; then rc=0; else rc=$?; fi
    secs=$(since "$start")
    echo "  -> rc=$rc, $secs s" >>"$log"
}

rows=()
details=()
for n in "${sizes[@]}"; do
    tree=$win'\src\tree-'$n
    tree_unix=$unix/src/tree-$n
    reps=${REPS:-$([ "$n" -le 5000 ] && echo 3 || echo 1)}
    limit=$((120 + n / 50)) # ample for 3 ms per file; a stuck message box ends here
    echo "== $n files, $reps pair(s)"

    rm -rf "$tree_unix" "$unix/out"
    run 3600 wine "$bin/make_tree.exe" "$tree" "$n"
    [ "$rc" -eq 0 ] || { fail "make_tree $n"; continue; }
    echo "  tree made in $secs s"

    # Start-up costs: Brisa that only reads its settings, and a bare process
    # (reference_copy without arguments) for comparison.
    starts=()
    bare=()
    for _ in 1 2 3; do
        run 60 wine "$unix/app-idle/Brisa.exe" "$tree"
        [ "$rc" -eq 0 ] || fail "Brisa.exe with Use=2 ended with $rc"
        starts+=("$secs")
        run 60 wine "$bin/reference_copy.exe"
        bare+=("$secs")
    done
    startup=$(median "${starts[@]}")
    bare_start=$(median "${bare[@]}")
    [ ! -e "$unix/out/brisa" ] || fail "Brisa.exe with Use=2 created its output folder"

    brisa_times=()
    ref_times=()
    own_times=()
    own_detail=""
    ref_detail=""
    for ((r = 0; r < reps; r++)); do
        rm -rf "$unix/out"
        order="brisa ref"
        [ $((r % 2)) -eq 0 ] || order="ref brisa"
        for which in $order; do
            if [ "$which" = brisa ]; then
                run "$limit" wine "$unix/app/Brisa.exe" "$tree"
                brisa_times+=("$secs")
                [ "$rc" -eq 0 ] || fail "Brisa.exe ended with $rc"
                got=$(count_files "$unix/out/brisa")
                [ "$got" -eq "$n" ] || fail "Brisa.exe left $got files, not $n"
                echo "  Brisa.exe: $secs s, $got files"
            else
                run "$limit" wine "$bin/reference_copy.exe" "$tree" "$win\\out\\ref" "$MASK"
                ref_times+=("$secs")
                [ "$rc" -eq 0 ] || fail "reference_copy ended with $rc"
                got=$(count_files "$unix/out/ref")
                [ "$got" -eq "$n" ] || fail "reference_copy left $got files, not $n"
                ref_detail=$(grep '^reference ' "$log" | tail -1 || true)
                echo "  reference: $secs s, $got files"
            fi
        done
        if ! diff -q <(cd "$unix/out/brisa" 2>/dev/null && find . | sort) \
            <(cd "$unix/out/ref" 2>/dev/null && find . | sort) >/dev/null; then
            fail "Brisa.exe and reference_copy laid the copies out differently"
        fi
        writable=$({ find "$unix/out/brisa" -type f -perm /222 2>/dev/null || true; } | wc -l)
        [ "$writable" -eq 0 ] || fail "$writable copies of Brisa.exe are not read-only"

        run "$limit" wine "$bin/walk_bench.exe" --own-work "$tree" "$win\\out\\brisa" "$MASK"
        [ "$rc" -eq 0 ] || fail "walk_bench --own-work ended with $rc"
        own_detail=$(grep '^own-work ' "$log" | tail -1 || true)
        own_ms=$(field total_ms <<<"$own_detail")
        own_times+=("$(calc "$startup + $own_ms / 1000")")
    done
    brisa=$(median "${brisa_times[@]}")
    ref=$(median "${ref_times[@]}")
    own=$(median "${own_times[@]}")
    rm -rf "$unix/out"

    xcopy_s="-"
    if [ "$XCOPY" != 0 ]; then
        start=$(now)
        run "$limit" wine xcopy /E /I /H /Q "$tree" "$win\\out\\xcopy\\tree-$n"
        xrc=$rc
        run "$limit" wine attrib +R "$win\\out\\xcopy\\*.*" /S
        xcopy_s=$(since "$start")
        got=$(count_files "$unix/out/xcopy")
        if [ "$xrc" -ne 0 ] || [ "$got" -ne "$n" ]; then
            fail "xcopy ended with $xrc and left $got files"
        fi
        echo "  xcopy + attrib: $xcopy_s s"
        rm -rf "$unix/out"
    fi
    [ "$KEEP" = 1 ] || rm -rf "$tree_unix"

    rows+=("$(printf '%8s %10s %10s %8s %10s %7s %10s' "$n" "$brisa" "$ref" \
        "$(calc "$brisa / $ref" 2)" "$own" "$(calc "100 * $own / $brisa" 1)" "$xcopy_s")")
    details+=("$n files: Brisa.exe start-up ${startup} s (bare process ${bare_start} s); ${own_detail}; ${ref_detail}")
done

echo
echo "Seconds, wall clock under Wine (median where more than one run)."
echo "Targets: Brisa/ref <= 1.15, own-work < 10 % of the Brisa run."
printf '%8s %10s %10s %8s %10s %7s %10s\n' N "Brisa s" "ref s" Brisa/ref "own s" "own %" "xcopy+attr"
printf '%s\n' "${rows[@]}"
echo
printf '%s\n' "${details[@]}"
echo
echo "log: $log"
exit $failed
