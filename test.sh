#!/usr/bin/env bash
# Builds obrin and runs every test. Starts a private PulseAudio server with a
# null sink, so the audio tests play through a real audio stack without a
# sound card; a server that does not start stops the run. A test that skips
# fails here (OBRIN_FAIL_ON_SKIP), with its reason in the output.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
OBRIN_WERROR=${OBRIN_WERROR:-ON} OBRIN_CMAKE_ARGS="${OBRIN_CMAKE_ARGS:-} -DOBRIN_FAIL_ON_SKIP=ON" \
    scripts/build.sh
build_dir=${OBRIN_BUILD_DIR:-build}

source scripts/null-sink.sh
start_null_sink

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" "$@"
