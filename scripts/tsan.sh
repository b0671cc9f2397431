#!/usr/bin/env bash
# Builds the threaded code and its tests alone with ThreadSanitizer into
# build-tsan/ (or $OBRIN_TSAN_BUILD_DIR) and runs them: wendax's reader
# thread (wendax_race_test), the audio engine (audio_engine_test) and its
# feed thread through a null sink (audio_player_test). Any data race fails.
# FFmpeg and Qt are not instrumented; only our own code is checked.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${OBRIN_TSAN_BUILD_DIR:-build-tsan}
tsan="-fsanitize=thread -fno-omit-frame-pointer"
tests=(wendax_race_test audio_engine_test audio_player_test)
if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S . -B "$build_dir" -G Ninja -DOBRIN_BUILD_BENCH=OFF \
        -DCMAKE_C_FLAGS="$tsan" -DCMAKE_CXX_FLAGS="$tsan" \
        -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread \
        -DCMAKE_MODULE_LINKER_FLAGS=-fsanitize=thread \
        -DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=thread >/dev/null
fi
cmake --build "$build_dir" --target wendax "${tests[@]}"

source scripts/null-sink.sh
start_null_sink
export QT_QPA_PLATFORM=offscreen
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/.ci/tsan.supp ${TSAN_OPTIONS:-}"
cd "$build_dir/bin"
for test in "${tests[@]}"; do
    echo "== $test under ThreadSanitizer"
    ./"$test"
done
