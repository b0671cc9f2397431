#!/usr/bin/env bash
# Builds wendax and its race test alone with ThreadSanitizer into build-tsan/
# (or $OBRIN_TSAN_BUILD_DIR) and runs the test; any data race fails it.
# FFmpeg itself is not instrumented; wendax runs it on one thread per reader.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${OBRIN_TSAN_BUILD_DIR:-build-tsan}
tsan="-fsanitize=thread -fno-omit-frame-pointer"
if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S . -B "$build_dir" -G Ninja -DOBRIN_BUILD_BENCH=OFF \
        -DCMAKE_C_FLAGS="$tsan" -DCMAKE_CXX_FLAGS="$tsan" \
        -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread \
        -DCMAKE_MODULE_LINKER_FLAGS=-fsanitize=thread \
        -DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=thread
fi
cmake --build "$build_dir" --target wendax wendax_race_test
cd "$build_dir/bin"
TSAN_OPTIONS="halt_on_error=1 ${TSAN_OPTIONS:-}" ./wendax_race_test
