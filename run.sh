#!/usr/bin/env bash
# Builds obrin and starts it. With no argument it opens the demo song.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh
build_dir=${OBRIN_BUILD_DIR:-build}
if [ $# -eq 0 ] && [ -f "$build_dir/demo/demo.wav" ]; then
    set -- "$PWD/$build_dir/demo/demo.wav"
fi
exec "$build_dir/bin/obrin" "$@"
