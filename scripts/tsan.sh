#!/usr/bin/env bash
# Builds the threaded code and its tests alone with ThreadSanitizer into
# build-tsan/ (or $OBRIN_TSAN_BUILD_DIR) and runs them: wendax's reader
# thread (wendax_race_test), the audio engine's core (audio_engine_test),
# including the feed that writes the positions on its own thread while others
# read them, the waveform's analysis worker (waveform_test), and the writer of
# the recovery file (recovery_test). Any data race fails. The batch conversion and the rest of
# obrin-cli start no thread of their own; decode reaches wendax's reader,
# which wendax_race_test covers.
# FFmpeg is not instrumented; only our own code is checked. The Qt side of
# the feed, a thin adapter around QAudioSink (audio_player_test), is left out:
# Qt 6 hands work between threads through futexes ThreadSanitizer cannot see,
# so every queued call there reads as a race unless Qt itself is built with
# ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${OBRIN_TSAN_BUILD_DIR:-build-tsan}
tsan="-fsanitize=thread -fno-omit-frame-pointer"
tests=(wendax_race_test audio_engine_test waveform_test recovery_test)
# -O1 with line tables only, as for ASan: reports keep file and line, and the
# build takes half the time.
optimize="-O1 -g1 -DNDEBUG"
cmake -S . -B "$build_dir" -G Ninja -DOBRIN_BUILD_BENCH=OFF -DOBRIN_FAIL_ON_SKIP=ON \
    -DOBRIN_TEST_TIMEOUT=3600 \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_FLAGS="$tsan" -DCMAKE_CXX_FLAGS="$tsan" \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="$optimize" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$optimize" \
    -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread \
    -DCMAKE_MODULE_LINKER_FLAGS=-fsanitize=thread \
    -DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=thread >/dev/null
cmake --build "$build_dir" --target wendax "${tests[@]}"

export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/.ci/tsan.supp ${TSAN_OPTIONS:-}"
# Through CTest, so that a test that skips fails here as in ./test.sh.
ctest --test-dir "$build_dir" --output-on-failure -R "^($(IFS='|'; echo "${tests[*]}"))\$"
