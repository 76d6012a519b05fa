#!/bin/sh
# Fails when a file under src/ includes one from a higher layer, or when the
# portable layers include a Windows header. The layers, bottom up:
#   platform (the interfaces, and win32/ behind them), paths, settings,
#   copy, run, ui, app.
set -eu
cd "$(dirname "$0")/.."
rank() {
    case $1 in
        platform/*) echo 0 ;; paths/*) echo 1 ;; settings/*) echo 2 ;; copy/*) echo 3 ;;
        run/*) echo 4 ;; ui/*) echo 5 ;; app/*) echo 6 ;; resource.h) echo 0 ;; *) echo 99 ;;
    esac
}
status=0
for file in $(git ls-files 'src/*.cpp' 'src/*.h'); do
    own=$(rank "${file#src/}")
    for target in $(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file"); do
        if [ "$(rank "$target")" -gt "$own" ]; then
            echo "$file includes $target, a higher layer" >&2
            status=1
        fi
    done
    case $file in
        src/platform/win32/* | src/ui/* | src/app/*) ;;
        *) if grep -Eq '^#include [<"](windows|.*win32/)' "$file"; then
               echo "$file is portable but includes a Windows header" >&2
               status=1
           fi ;;
    esac
done
exit $status
