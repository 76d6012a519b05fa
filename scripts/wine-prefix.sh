#!/bin/sh
# Brings the test Wine prefix up or down.
#   wine-prefix.sh up PREFIX    create the prefix once (headless: the null
#                               graphics driver) and start a persistent
#                               wineserver, so each test exe starts fast
#   wine-prefix.sh down PREFIX  stop that wineserver
set -eu
action=$1
WINEPREFIX=$2
export WINEPREFIX
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

case $action in
up)
    if [ ! -f "$WINEPREFIX/.larkspur-ready" ]; then
        rm -rf "$WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wineboot -i </dev/null >/dev/null 2>&1
        wineserver -w
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.larkspur-ready"
    fi
    # Fails harmlessly when a server for this prefix is already running.
    wineserver -p </dev/null >/dev/null 2>&1 || true
    # Warm up: the first process of a server starts the desktop and services.
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
    ;;
down)
    wineserver -k 2>/dev/null || true
    ;;
*)
    echo "usage: $0 up|down PREFIX" >&2
    exit 2
    ;;
esac
