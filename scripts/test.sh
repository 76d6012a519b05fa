#!/bin/sh
# Builds everything and passes every test: the portable logic natively under
# AddressSanitizer and UBSan, then Brisa.exe and the Wine-run tests.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# Formatting is part of the build's hygiene, like the warnings (-Werror).
git ls-files -- '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
scripts/check-layers.sh

cmake --preset native
cmake --build --preset native
ctest --preset native

cmake --preset mingw
cmake --build --preset mingw
ctest --preset mingw
