#!/usr/bin/env bash
# The build holds each folder of editor/ to its layer (cmake/ObrinLayers.cmake):
# "shell/editor.h" is simply not on the include path of a lower layer. A quoted
# include is first looked for beside the including file, though, so one
# written relative to that folder ("../shell/editor.h", "qt/qt_dialogs.h")
# compiles wherever it is. Prints every such include; headers are named by
# their layer ("base/x.h"), or by their bare name when they lie beside.
set -euo pipefail
cd "$(dirname "$0")/../editor"
status=0
while IFS=: read -r file line directive; do
    name=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<<"$directive")
    if [ -e "$(dirname "$file")/$name" ]; then
        echo "editor/$file:$line includes \"$name\" relative to its folder"
        status=1
    fi
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]*/' \
    --include=*.h --include=*.cpp -- */)
exit $status
