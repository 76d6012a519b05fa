#!/bin/sh
# Pictures of the program's windows, as Wine draws them on a private Xvfb
# display with its default graphics driver: scripts/screenshot.sh [DIR]
# (default docs/); WINDOWS="form2 ..." picks which. Look at them before
# committing.
set -eu
cd "$(dirname "$0")/.."
out=${1:-docs}
scripts/install-deps.sh
# The settings window's links are Japanese: a font with their glyphs.
if ! fc-list :lang=ja | grep -q .; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get install -y --no-install-recommends fonts-ipafont-gothic
fi
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target screenshot

export WINEPREFIX="$PWD/build/mingw/shot-prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES=mscoree,mshtml=
export LC_ALL=C.UTF-8 LANG=C.UTF-8  # Wine makes names outside ASCII only in UTF-8
unset LANGUAGE
# The display first: every Wine process of the prefix, the desktop included,
# must start with it.
# Xvfb picks a free display number and writes it to the pipe.
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 3>"$fifo" </dev/null >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true; rm -f "$fifo"' EXIT
read -r number <"$fifo"
export DISPLAY=":$number"
scripts/wine-prefix.sh display "$WINEPREFIX"
# No window manager on Xvfb: Wine draws the frames and captions itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
mkdir -p "$out"
windows=${WINDOWS:-form1 outform inputbox form2}
for window in $windows; do
    wine build/mingw/bin/screenshot.exe "$window" "$(winepath -w "$out/$window.png")" </dev/null
    if command -v python3 >/dev/null 2>&1; then
        # The capture tool stores its pixels uncompressed; squeeze them.
        python3 - "$out/$window.png" <<'PY'
import struct, sys, zlib
path = sys.argv[1]
data = open(path, "rb").read()
pos, chunks = 8, []
while pos < len(data):
    size, kind = struct.unpack(">I4s", data[pos:pos + 8])
    chunks.append((kind, data[pos + 8:pos + 8 + size]))
    pos += 12 + size
idat = zlib.compress(zlib.decompress(b"".join(c for k, c in chunks if k == b"IDAT")), 9)
out = bytearray(data[:8])
for kind, body in chunks:
    if kind == b"IDAT":
        continue
    if kind == b"IEND":
        out += struct.pack(">I", len(idat)) + b"IDAT" + idat + struct.pack(">I", zlib.crc32(b"IDAT" + idat))
    out += struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
open(path, "wb").write(out)
PY
    fi
    echo "$out/$window.png"
done
