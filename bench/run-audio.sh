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
echo "== the heard position against the clicks heard (target: every click within 5 ms)"
OBRIN_HEARD_STRICT=1 QT_QPA_PLATFORM=offscreen "$build_dir/bin/heard_position_test" 2>&1 |
    grep -E 'rate [0-9.]+:|^(PASS|FAIL)' || true
echo "== gaps while every core is busy and the user-interface thread stalls"
"$build_dir/bin/audio_stress_bench"
echo "== latency calibration with a scripted presser"
"$build_dir/bin/calibration_bench"
echo "== karaoke taps of a scripted tapper over the demo (target: every unit within 5 ms)"
"$build_dir/bin/scripted_tapper_bench"
echo "== from a key press to the unit stored and shown in the karaoke tab (target: median under 10 ms)"
QT_QPA_PLATFORM=offscreen "$build_dir/bin/tap_latency_bench" 2>&1 | grep -v '^This plugin does not support'
if [ -x "$build_dir/bin/audio_memory_bench" ]; then
    echo "== memory while playing a 60-minute WAV"
    "$build_dir/bin/audio_memory_bench"
fi
