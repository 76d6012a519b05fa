#!/bin/sh
# Builds Brisa.exe if needed and starts it under Wine with the given items,
# exactly as Explorer's Send To would: scripts/run.sh 'C:\some\file.txt' ...
# Without items it opens the settings window. The settings file is
# build/mingw/bin/Brisa.ini; the Wine prefix is build/mingw/run-prefix.
#
# Without a display ($DISPLAY unset) nothing waits on a window nobody can
# see. Without items, or with --demo, it shows the main job on a sample tree:
# a Silent Mode copy and an interactive one (the dialog operated for you),
# each file's attributes, and a picture of every window under build/demo/.
# With items it starts them on a private Xvfb, and a window that would wait
# for an answer is pictured under build/demo/ and closed.
#
# Wine runs in a UTF-8 locale whatever the caller's (in the C locale it
# cannot make the sample tree's Japanese name). What Wine itself writes to
# stderr, start-up warnings such as "Read access denied for device", goes
# to build/mingw/run.log, shown only when the run fails.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target Brisa demo >/dev/null

export WINEPREFIX="$PWD/build/mingw/run-prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LC_ALL=C.UTF-8 LANG=C.UTF-8
unset LANGUAGE
log=$PWD/build/mingw/run.log
: >"$log"
show_log() {
    if [ -s "$log" ]; then
        echo "What Wine said (build/mingw/run.log):" >&2
        cat "$log" >&2
    fi
}
demo=""
if [ "${1:-}" = "--demo" ] || { [ $# -eq 0 ] && [ -z "${DISPLAY:-}" ]; }; then
    demo=yes
    [ "${1:-}" = "--demo" ] && shift
fi
headless=""
if [ -z "${DISPLAY:-}" ] || [ -n "$demo" ]; then
    headless=yes
    # A private display: Xvfb picks a free number and writes it to the pipe.
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 3>"$fifo" </dev/null >/dev/null 2>&1 &
    xvfb=$!
    trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true; rm -f "$fifo"' EXIT
    read -r number <"$fifo"
    export DISPLAY=":$number"
fi
scripts/wine-prefix.sh display "$WINEPREFIX" 2>>"$log" || { show_log; exit 1; }
status=0
if [ -n "$headless" ]; then
    # No window manager on Xvfb: Wine draws the frames itself, as pictured.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f </dev/null >/dev/null 2>&1
    rm -rf build/demo
    mkdir -p build/demo
    pictures=$(winepath -w build/demo 2>>"$log")
    if [ -n "$demo" ]; then
        wine build/mingw/bin/demo.exe "$pictures" </dev/null 2>>"$log" || status=$?
    else
        wine build/mingw/bin/demo.exe "$pictures" --items "$@" </dev/null 2>>"$log" || status=$?
    fi
    echo "Pictures of the windows: build/demo/"
else
    wine "$PWD/build/mingw/bin/Brisa.exe" "$@" </dev/null 2>>"$log" || status=$?
    echo "Brisa.exe exit code: $status"
fi
# The demo fails with any code but 0; a run on items with a code that is none
# of the program's own (1 to 5 answer the run, see README.md), such as a crash.
if [ "$status" -ne 0 ] && { [ -n "$demo" ] || [ "$status" -gt 5 ]; }; then
    show_log
fi
exit "$status"
