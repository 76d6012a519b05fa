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
set -eu
action=$1
WINEPREFIX=$2
export WINEPREFIX
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

create() {  # create [REG-ARGS...]: a new prefix, then one registry value
    [ -f "$WINEPREFIX/.larkspur-ready" ] && return 0
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1
    wineserver -w
    if [ $# -gt 0 ]; then
        wine reg add "$@" /f </dev/null >/dev/null 2>&1
        wineserver -w
    fi
    touch "$WINEPREFIX/.larkspur-ready"
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
