#!/usr/bin/env bash
# Runs the waveform benchmarks and prints their figures: the peaks of a
# 60-minute WAV, painting the strip, opening a song with the strip shown
# (through a private PulseAudio null sink) and the onset hints against the
# demo song's line starts. Builds first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null
build_dir=${OBRIN_BUILD_DIR:-build}
bench="$build_dir/bin/waveform_bench"

echo "== onset hints against the demo's line starts"
"$bench" onsets "$build_dir/demo/demo.wav" "$build_dir/demo/demo-times.txt" "$build_dir/bin"
echo "== painting the strip while playing"
QT_QPA_PLATFORM=offscreen "$bench" paint
echo "== the peaks of a 60-minute WAV"
"$bench" peaks

source scripts/null-sink.sh
start_null_sink
echo "== opening a 5-minute song with the strip shown"
QT_QPA_PLATFORM=offscreen "$bench" open
