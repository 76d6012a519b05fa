#!/bin/sh
# Installs what building and testing Larkspur needs, when it is missing:
# CMake and Ninja, the native compiler, mingw-w64 (posix threads), Wine,
# Xvfb, GoogleTest (its sources for the cross build, its library for the
# native one), clang-format, and python3-yaml, with which the release test
# reads the winget manifests. Debian or Ubuntu.
set -eu

missing=""
need() {  # need PACKAGE CHECK...
    package=$1
    shift
    "$@" >/dev/null 2>&1 || missing="$missing $package"
}
need cmake command -v cmake
need ninja-build command -v ninja
need g++ command -v g++
need g++-mingw-w64-x86-64-posix command -v x86_64-w64-mingw32-g++-posix
need binutils-mingw-w64-x86-64 command -v x86_64-w64-mingw32-windres
need wine command -v wine
need wine64 test -x /usr/lib/wine/wine64
need xvfb command -v Xvfb
need googletest test -f /usr/src/googletest/CMakeLists.txt
need libgtest-dev test -f /usr/lib/x86_64-linux-gnu/libgtest.a
need clang-format command -v clang-format
need python3-yaml /usr/bin/python3 -c "import yaml"

[ -z "$missing" ] && exit 0
echo "Installing:$missing"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
# shellcheck disable=SC2086
$sudo apt-get install -y --no-install-recommends $missing ||
    { $sudo apt-get update && $sudo apt-get install -y --no-install-recommends $missing; }
