#!/bin/sh
# Makes and serves the project's Wine prefixes.
#   wine-prefix.sh up PREFIX       the test prefix: created once, headless (the
#                                  null graphics driver), with a persistent
#                                  wineserver so each test exe starts fast
#   wine-prefix.sh display PREFIX  a prefix for a real display (run.sh,
#                                  screenshot.sh): created once, as Wine makes it
#   wine-prefix.sh down PREFIX     stops the prefix's wineserver
#   wine-prefix.sh fresh PREFIX    a new headless prefix, made again whatever
#                                  was there (the release test's)
#   wine-prefix.sh remove PREFIX   stops the prefix's wineserver, deletes it
#
# Wine runs in a UTF-8 locale, whatever the caller's: in the C locale it
# cannot make names outside ASCII. Every prefix also lets a program that
# crashes end, after winedbg has written its backtrace to stderr, instead of
# waiting on Wine's crash dialog, which nobody answers in a scripted run.
set -eu
action=$1
WINEPREFIX=$2
export WINEPREFIX
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export LC_ALL=C.UTF-8 LANG=C.UTF-8
unset LANGUAGE

# A prefix is made once (.larkspur-ready); its registry values are set again
# whenever they change (the number in the second marker's name), so that a
# prefix made before gets them without being made again. Its server is
# stopped first, and waited for after, so that what comes next (up's
# persistent server) starts a new one.
settled=.larkspur-registry-2
create() {  # create [REG-ARGS...]: the prefix, with one more registry value
    [ -f "$WINEPREFIX/$settled" ] && return 0
    if [ -f "$WINEPREFIX/.larkspur-ready" ]; then
        wineserver -k 2>/dev/null || true
    else
        rm -rf "$WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wineboot -i </dev/null >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.larkspur-ready"
    fi
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        </dev/null >/dev/null 2>&1
    if [ $# -gt 0 ]; then
        wine reg add "$@" /f </dev/null >/dev/null 2>&1
    fi
    wineserver -w
    touch "$WINEPREFIX/$settled"
}

case $action in
up)
    create 'HKCU\Software\Wine\Drivers' /v Graphics /d null
    # Fails harmlessly when a server for this prefix is already running.
    wineserver -p </dev/null >/dev/null 2>&1 || true
    # Warm up: the first process of a server starts the desktop and services.
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
    ;;
display)
    create
    ;;
down)
    wineserver -k 2>/dev/null || true
    ;;
fresh)
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    create 'HKCU\Software\Wine\Drivers' /v Graphics /d null
    ;;
remove)
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    ;;
*)
    echo "usage: $0 up|display|down|fresh|remove PREFIX" >&2
    exit 2
    ;;
esac
