#!/bin/sh
# The release test (ctest wine_release_test): the release zip is built and
# unpacked as a user would unpack it, a fresh headless Wine prefix is made
# for it alone, and release_test.cpp's driver runs the unpacked Brisa.exe in
# that prefix. The prefix is stopped and deleted at the end, whatever happened.
#   release_test.sh CMAKE BUILD_DIR PACKAGE_NAME WINE DRIVER_EXE
set -eu
cmake=$1
build=$2
package=$3
wine=$4
driver=$5
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
work=$build/release-test
prefix=$work/prefix

"$cmake" --build "$build" --target package
zip=$build/$package.zip
echo "$zip:"
"$cmake" -E tar tf "$zip"

"$scripts/wine-prefix.sh" remove "$prefix"
rm -rf "$work"
mkdir -p "$work/unpacked"
(cd "$work/unpacked" && "$cmake" -E tar xf "$zip")

export WINEDEBUG=-all,err+module
export WINEDLLOVERRIDES=mscoree,mshtml=
trap '"$scripts/wine-prefix.sh" remove "$prefix"' EXIT
trap 'exit 1' HUP INT TERM
"$scripts/wine-prefix.sh" fresh "$prefix"
export WINEPREFIX="$prefix"
# The unpacked folder as the driver sees it: Wine's drive Z: is the root.
LARKSPUR_RELEASE_DIR="Z:$(printf '%s' "$work/unpacked/$package" | tr / '\\')"
export LARKSPUR_RELEASE_DIR
"$wine" "$driver" </dev/null
