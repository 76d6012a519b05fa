#!/bin/sh
# Runs a Wine test executable as an ordinary user, as Windows users run the
# program: under Wine root writes through Read Only and Hidden, an ordinary
# user meets the refusals Windows makes. When the test command runs as root,
# the executable runs as "nobody" (on every Debian) in a Wine prefix of its
# own; otherwise as the caller, in the prefix the environment names.
#
# Where the machine lets root mount one, a 5 MiB tmpfs is mapped as drive S:
# (LARKSPUR_SMALL_DRIVE) for the cases of a full drive; elsewhere those cases
# say why they are skipped.
#
# Wine cannot make a folder link itself, so a tree holding one that leads
# back into the folder it lies in (Proj\d\loop -> ..) is made here, as a Unix
# symbolic link, which Wine shows as a folder link (LARKSPUR_LINKS).
#   ordinary_user.sh WINE EXE USER_FOLDER
# USER_FOLDER holds the user's home, prefix, small drive and that tree.
set -eu
wine=$1
exe=$2
home=$3
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)

# A tree with a folder link, in the user's folder.
make_links() {
    links=$home/links
    rm -rf "$links"
    mkdir -p "$links/Proj/d"
    ln -s .. "$links/Proj/d/loop"
    LARKSPUR_LINKS="Z:$(printf '%s' "$(cd "$links" && pwd)" | tr / '\\')"
    export LARKSPUR_LINKS
}
if [ "$(id -u)" -ne 0 ]; then
    make_links
    exec "$wine" "$exe"
fi

# The user must reach the test, the program and the prefix script: where the
# build lies below a folder only root may enter, they run from a folder of
# the user's in /tmp.
if ! runuser -u nobody -- test -r "$exe" || ! runuser -u nobody -- test -x "$scripts/wine-prefix.sh"; then
    home=/tmp/larkspur-ordinary-$(printf '%s' "$home" | cksum | cut -d' ' -f1)
    mkdir -p "$home/bin"
    cp "$exe" "$(dirname "$exe")/Brisa.exe" "$scripts/wine-prefix.sh" "$home/bin/"
    exe=$home/bin/$(basename "$exe")
    scripts=$home/bin
fi
mkdir -p "$home"
make_links
chown -R nobody "$home"
prefix=$home/prefix
small=$home/small
mkdir -p "$small"
chown nobody "$home" "$small"
as_user() {
    runuser -u nobody -- env HOME="$home" WINEPREFIX="$prefix" "$@"
}
as_user "$scripts/wine-prefix.sh" up "$prefix"
cleanup() {
    as_user "$scripts/wine-prefix.sh" down "$prefix"
    if mountpoint -q "$small"; then umount "$small"; fi
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM

drive=""
if mountpoint -q "$small" || mount -t tmpfs -o size=5m,mode=0777 larkspur-small "$small" 2>/dev/null; then
    rm -f "$prefix/dosdevices/s:"
    ln -s "$small" "$prefix/dosdevices/s:"
    drive=S:
else
    echo "No tmpfs could be mounted here: the cases of a full drive are skipped."
fi
status=0
as_user env LARKSPUR_SMALL_DRIVE="$drive" "$wine" "$exe" || status=$?
exit $status
