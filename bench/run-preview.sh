#!/usr/bin/env bash
# Runs the karaoke preview's benchmark: the frame time at 1920 x 1080 while
# the demo song plays through a private PulseAudio null sink at 1.0 and 2.0.
# Builds first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null
build_dir=${OBRIN_BUILD_DIR:-build}

source scripts/null-sink.sh
start_null_sink

echo "== the karaoke preview's frame while the demo plays"
QT_QPA_PLATFORM=offscreen "$build_dir/bin/karaoke_preview_bench" \
    "$build_dir/demo/demo.wav" "$build_dir/demo/demo-times.txt" "$build_dir/bin"
