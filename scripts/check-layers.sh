#!/usr/bin/env bash
# Checks that the folders of editor/ include each other in one direction only:
# base < document < text < playback < export < shell, each qt/ folder beside
# its own folder. Prints every include that goes the wrong way.
set -euo pipefail
cd "$(dirname "$0")/../editor"
rank() {
    case $1 in
        base) echo 0 ;; document) echo 1 ;; text) echo 2 ;; playback) echo 3 ;;
        export) echo 4 ;; shell) echo 5 ;; *) echo 9 ;;
    esac
}
status=0
while IFS=: read -r file _ include; do
    from=${file%%/*}
    target=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$include")
    [ "$(rank "$target")" = 9 ] && continue
    from_qt=0; [[ $file == */qt/* ]] && from_qt=1
    to_qt=0; [[ $include == *\"$target/qt/* ]] && to_qt=1
    if [ "$(rank "$target")" -gt "$(rank "$from")" ] || { [ $to_qt = 1 ] && [ $from_qt = 0 ]; }; then
        echo "$file includes ${include#*#include }"
        status=1
    fi
done < <(grep -rnE '#include "[a-z_]+/' --include=*.h --include=*.cpp .)
exit $status
