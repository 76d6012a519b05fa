#!/bin/sh
# Builds Brisa.exe if needed and starts it under Wine with the given items,
# exactly as Explorer's Send To would: scripts/run.sh 'C:\some\file.txt' ...
# Without items it opens the settings window. The settings file is
# build/mingw/bin/Brisa.ini. It runs in its own Wine prefix
# (build/mingw/run-prefix) with a real display: $DISPLAY, or a private Xvfb
# when there is none.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target Brisa

export WINEPREFIX="$PWD/build/mingw/run-prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
scripts/wine-prefix.sh display "$WINEPREFIX"
if [ -z "${DISPLAY:-}" ]; then
    display=:87
    Xvfb "$display" -screen 0 1024x768x24 </dev/null >/dev/null 2>&1 &
    xvfb=$!
    trap 'kill $xvfb 2>/dev/null || true' EXIT
    export DISPLAY="$display"
    sleep 1
    echo "No display: running on a private Xvfb ($DISPLAY); windows are not visible." >&2
fi
status=0
wine "$PWD/build/mingw/bin/Brisa.exe" "$@" </dev/null || status=$?
echo "Brisa.exe exit code: $status"
exit "$status"
