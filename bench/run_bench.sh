#!/bin/bash
# Silent Mode's own copy engine against the other ways to the same result,
# in one run, on the same trees.
#
#   bench/run_bench.sh [N]        (default 20000)
#
# Trees: N files of 4 KiB (make_tree.exe); a real tree nobody here wrote
# (/usr/share/doc, copied into the prefix once); one file of 512 MiB.
# For each tree, an untimed warm-up run, then REPS rounds (default 3), the
# contenders in a rotating order:
#   engine  Brisa.exe in Silent Mode, its own engine
#   shell   Brisa.exe in Silent Mode with Engine=1: one shell request, 0x215
#   xcopy   xcopy /E /I /H, then attrib +R /S and attrib +H /S
#   cp      cp -r on the Linux side: the floor (it sets no attributes)
#   rerun   the engine again over its own complete copies (R + H), after an
#           untimed first run: every copy replaced by a new one
#   verify  the engine with Verify=1: every copy read back and compared
#   logged  the engine with Log set: a line per file
# Every contender's copies get Read Only + Hidden, and every copy is checked
# by verify_copy.py: the same files, the same bytes, exactly R + H.
# Then, on the N-file tree: engine_bench on 1, 2, 4 and 8 threads, and its
# own work (engine_bench --no-io: everything but the platform's file copy and
# attribute calls); and the growth from 2,000 to 100,000 files (GROWTH).
#
# Environment: REPS; SETTLE (seconds of quiet after a tree's output is
# deleted, default 61); GROWTH (default "2000 20000 100000", "" to skip); ONLY
# (tree, doc or big: that tree alone, without the engine_bench parts);
# WINEPREFIX (default build/mingw/bench-prefix, made on first use).
# Build first:
#   cmake --build --preset mingw --target Brisa make_tree engine_bench
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
bin=$repo/build/mingw/bin
export WINEPREFIX=${WINEPREFIX:-$repo/build/mingw/bench-prefix}
export WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
export LC_ALL=C.UTF-8 LANG=C.UTF-8  # Wine makes names outside ASCII only in UTF-8
unset LANGUAGE
n=${1:-20000}
reps=${REPS:-3}
growth=${GROWTH-2000 20000 100000}
mask=3 # Read Only + Hidden
for exe in Brisa make_tree engine_bench; do
    [ -f "$bin/$exe.exe" ] || { echo "run_bench: build $exe first" >&2; exit 2; }
done
"$repo/scripts/wine-prefix.sh" up "$WINEPREFIX" </dev/null >/dev/null 2>&1
# One wineserver and one desktop for the whole benchmark, as Windows has them
# when Send To starts the program. Left to itself, Wine's desktop process ends
# about a second after the last program with a window, and the next one pays
# 0.1 to 0.2 s to start it again: whichever contender follows the pause of
# cp -r and its verification would. A Notepad keeps it (this prefix has no
# display, so nothing shows); the server's end takes Notepad with it.
wineserver -k 2>/dev/null || true
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
wine notepad </dev/null >/dev/null 2>&1 &

win='C:\larkspur-bench'
unix=$WINEPREFIX/drive_c/larkspur-bench
logs=$repo/build/mingw/bench-logs
mkdir -p "$unix/src" "$logs"
log=$logs/run_bench-$(date +%Y%m%d-%H%M%S).log

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
calc() { awk "BEGIN { printf \"%.${2:-2}f\", $1 }"; }
failed=0
fail() { echo "  FAIL: $*" | tee -a "$log"; failed=1; }

# Runs a command with its output in the log; sets secs (wall clock).
run() {
    echo "\$ $*" >>"$log"
    sync
    local start end
    start=$(date +%s.%N)
    "$@" </dev/null >>"$log" 2>&1 || fail "$* ended with $?"
    end=$(date +%s.%N)
    secs=$(calc "$end - $start" 3)
    echo "# $secs s" >>"$log"
}

install() { # folder engine [more settings]
    mkdir -p "$unix/$1"
    cp "$bin/Brisa.exe" "$unix/$1/"
    printf '[Silent]\r\nUse=1\r\nLocation=%s\\out\\%s\r\nForce=1\r\nEngine=%s\r\nAttributes=1\r\nReadOnly=1\r\nHidden=1\r\nSystem=0\r\nArchive=0\r\n%b' \
        "$win" "$1" "$2" "${3:-}" >"$unix/$1/Brisa.ini"
}
install engine 0
install shell 1
install rerun 0
install verify 0 'Verify=1\r\n'
install logged 0 'Log=run.log\r\n'

# Earlier output is moved aside, not deleted, until a tree's rounds are
# over. On an ext4 without a journal (this machine's disk) the kernel will
# not reuse an inode freed in the last 60 s (300 s while its table block is
# unwritten), and every new file and folder skips over each of them: a run
# that follows the deletion of the last run's 20,000 copies spent most of its
# time there (perf: 33 % of cp -r in the allocator's recently_deleted), and
# under Wine every create is the one wineserver's, so it fell on each
# contender in turn. Deleted once per tree, then synced and left to settle.
aside=0
put_aside() {
    if [ -e "$unix/out" ]; then
        mkdir -p "$unix/aside"
        mv "$unix/out" "$unix/aside/$((aside += 1))"
    fi
}
settle() {
    rm -rf "$unix/out" "$unix/aside"
    sync
    sleep "${SETTLE:-61}"
}

# One contender on one item (a path below src, with /); its copies land in
# out/<contender>/<name of the item>. One file (a single inode) is deleted
# at once: it is many gigabytes over the rounds.
contend() { # contender item
    local item=${2//\//\\} name=${2##*/}
    if [ -d "$unix/src/$2" ]; then put_aside; else rm -rf "$unix/out"; fi
    mkdir -p "$unix/out/xcopy" "$unix/out/cp"
    rm -f "$unix/logged/run.log"
    case $1 in
    engine | shell | verify | logged) run wine "$unix/$1/Brisa.exe" "$win\\src\\$item" ;;
    rerun) # the second run is the one timed
        run wine "$unix/$1/Brisa.exe" "$win\\src\\$item"
        run wine "$unix/$1/Brisa.exe" "$win\\src\\$item"
        ;;
    xcopy)
        if [ -d "$unix/src/$2" ]; then
            # Wine's attrib takes one attribute per call.
            run sh -c "wine xcopy /E /I /H /Q '$win\\src\\$item' '$win\\out\\xcopy\\$name' &&
                wine attrib +R '$win\\out\\xcopy\\$name\\*' /S;
                wine attrib +H '$win\\out\\xcopy\\$name\\*' /S"
        else
            run sh -c "wine xcopy /H /Q '$win\\src\\$item' '$win\\out\\xcopy\\' &&
                wine attrib +R '$win\\out\\xcopy\\$name' && wine attrib +H '$win\\out\\xcopy\\$name'"
        fi
        ;;
    cp) run cp -r "$unix/src/$2" "$unix/out/cp/" ;;
    esac
    local check=$mask
    [ "$1" != cp ] || check=
    python3 "$here/verify_copy.py" "$unix/src/$2" "$unix/out/$1/$name" $check >>"$log" 2>&1 ||
        fail "$1 on $item: the copy differs (see $log)"
}

rows=()
engine_rows=()
compare() { # label item
    local times_engine=() times_shell=() times_xcopy=() times_cp=()
    local times_rerun=() times_verify=() times_logged=()
    local order=(engine shell xcopy cp rerun verify logged) r c rounds=${3:-$reps}
    local n_order=${#order[@]}
    settle
    # One untimed run first: the first Wine run after a pause is slow,
    # whichever contender it is.
    echo "# warm-up" >>"$log"
    contend engine "$2"
    for ((r = 0; r < rounds; r++)); do
        # Rotated each round and reversed every other, so that no contender
        # always follows the same one.
        local turn=("${order[@]:r%n_order}" "${order[@]:0:r%n_order}")
        if ((r % 2)); then
            local reversed=() i
            for ((i = n_order - 1; i >= 0; i--)); do
                reversed+=("${turn[i]}")
            done
            turn=("${reversed[@]}")
        fi
        for c in "${turn[@]}"; do
            contend "$c" "$2"
            eval "times_$c+=($secs)"
        done
    done
    local e s x f
    e=$(median "${times_engine[@]}")
    s=$(median "${times_shell[@]}")
    x=$(median "${times_xcopy[@]}")
    f=$(median "${times_cp[@]}")
    rows+=("| $1 | $e | $s | $x | $f | $(calc "$e / $x") | $(calc "$e / $s") | $(calc "$e / $f" 1) |")
    echo "  ${rows[-1]}"
    local re ve lo
    re=$(median "${times_rerun[@]}")
    ve=$(median "${times_verify[@]}")
    lo=$(median "${times_logged[@]}")
    engine_rows+=("| $1 | $e | $re | $(calc "$re / $e") | $ve | $(calc "$ve / $e") | $lo | $(calc "100 * ($lo - $e) / $e" 1) % |")
    echo "  ${engine_rows[-1]}"
}

echo "log: $log"
if [ ! -e "$unix/src/tree-$n.done" ]; then
    rm -rf "$unix/src/tree-$n"
    run wine "$bin/make_tree.exe" "$win\\src\\tree-$n" "$n" && touch "$unix/src/tree-$n.done"
fi
if [ ! -e "$unix/src/doc.done" ]; then
    rm -rf "$unix/src/doc"
    cp -rL /usr/share/doc "$unix/src/doc" 2>/dev/null || true # some links lead nowhere
    # Windows names ignore case: of index.html and Index.html one stays.
    python3 -c 'import os, sys
for folder, dirs, files in os.walk(sys.argv[1]):
    seen = set()
    for name in sorted(files):
        if name.lower() in seen:
            os.remove(os.path.join(folder, name))
        seen.add(name.lower())' "$unix/src/doc"
    touch "$unix/src/doc.done"
fi
if [ ! -e "$unix/src/big/big.bin" ]; then
    mkdir -p "$unix/src/big"
    head -c 512M /dev/urandom >"$unix/src/big/big.bin"
fi

echo "== contenders, $reps rounds"
only=${ONLY:-}
[ -n "$only" ] && [ "$only" != tree ] || compare "$n × 4 KiB" "tree-$n"
[ -n "$only" ] && [ "$only" != doc ] ||
    compare "/usr/share/doc, $(find "$unix/src/doc" -type f | wc -l) files" doc
# One file is quick and noisy: more rounds, each contender in each place twice.
[ -n "$only" ] && [ "$only" != big ] || compare "one 512 MiB file" big/big.bin 8

# engine_bench on the N-file tree; prints one line per run into the log.
bench() { # source threads [--no-io]
    put_aside
    run wine "$bin/engine_bench.exe" "$win\\src\\$1" "$win\\out\\bench" "$mask" "$2" ${3:-}
    line=$(grep '^engine ' "$log" | tail -1)
}
field() { grep -o "$1=[0-9.]*" <<<"$line" | cut -d= -f2; }

if [ -z "$only" ]; then
settle
echo "== threads, own work"
declare -A threads_ms
for ((r = 0; r < reps; r++)); do
    for t in 1 2 4 8; do
        bench "tree-$n" "$t"
        threads_ms[$t]+="$(field total_ms) "
    done
    bench "tree-$n" 2 --no-io
    threads_ms[own]+="$(field total_ms) "
done
for t in 1 2 4 8 own; do
    # shellcheck disable=SC2086
    threads_ms[$t]=$(median ${threads_ms[$t]})
done

growth_rows=()
if [ -n "$growth" ]; then
    echo "== growth"
    for g in $growth; do
        if [ ! -e "$unix/src/tree-$g.done" ]; then
            rm -rf "$unix/src/tree-$g"
            run wine "$bin/make_tree.exe" "$win\\src\\tree-$g" "$g" && touch "$unix/src/tree-$g.done"
        fi
        bench "tree-$g" 2
        growth_rows+=("| $g | $(calc "$(field total_ms) / 1000") | $(calc "1000 * $(field total_ms) / $g" 1) | $(field bytes_per_file) |")
        echo "  ${growth_rows[-1]}"
    done
fi
fi
rm -rf "$unix/out" "$unix/aside"

echo
echo "Seconds, wall clock under Wine, median of $reps (of 8 for the one file); every copy verified."
echo "| tree | engine | shell request | xcopy + attrib | cp -r | engine/xcopy | engine/shell | engine/cp |"
echo "|---|---|---|---|---|---|---|---|"
printf '%s\n' "${rows[@]}"
echo
echo "The engine against itself, same run (seconds, medians):"
echo "| tree | first run | re-run over its copies | re-run/first | Verify=1 | verify/first | Log set | log's cost |"
echo "|---|---|---|---|---|---|---|---|"
printf '%s\n' "${engine_rows[@]}"
echo
[ -n "$only" ] && exit $failed
echo "The engine alone on $n files (engine_bench, ms, median of $reps):"
echo "| 1 thread | 2 threads | 4 threads | 8 threads | own work (2 threads, --no-io) | own share |"
echo "|---|---|---|---|---|---|"
echo "| ${threads_ms[1]} | ${threads_ms[2]} | ${threads_ms[4]} | ${threads_ms[8]} | ${threads_ms[own]} | $(calc "100 * ${threads_ms[own]} / ${threads_ms[2]}" 1) % |"
if [ ${#growth_rows[@]} -gt 0 ]; then
    echo
    echo "Growth (engine_bench, 2 threads, one run each):"
    echo "| files | s | µs per file | peak working set per file (bytes) |"
    echo "|---|---|---|---|"
    printf '%s\n' "${growth_rows[@]}"
fi
echo "log: $log"
exit $failed
