#!/usr/bin/env bash
# Runs the audio benchmarks against a private PulseAudio null sink and prints
# their figures. Builds first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null
build_dir=${OBRIN_BUILD_DIR:-build}

source scripts/null-sink.sh
start_null_sink

echo "== position accuracy"
"$build_dir/bin/audio_position_bench"
echo "== gaps while every core is busy and the user-interface thread stalls"
"$build_dir/bin/audio_stress_bench"
echo "== latency calibration with a scripted presser"
"$build_dir/bin/calibration_bench"
if [ -x "$build_dir/bin/audio_memory_bench" ]; then
    echo "== memory while playing a 60-minute WAV"
    "$build_dir/bin/audio_memory_bench"
fi
