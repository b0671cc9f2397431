#!/usr/bin/env bash
# Builds obrin and runs every test. Starts a private PulseAudio server with a
# null sink, so the audio tests play through a real audio stack without a
# sound card.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
OBRIN_WERROR=${OBRIN_WERROR:-ON} scripts/build.sh
build_dir=${OBRIN_BUILD_DIR:-build}

source scripts/null-sink.sh
start_null_sink

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" "$@"
