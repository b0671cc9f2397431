#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UBSan into build-asan/ (or
# $OBRIN_ASAN_BUILD_DIR) and runs the whole test suite. Any sanitizer report,
# in a test or in a program a test starts (obrin-cli, a plug-in), fails the
# run: every report is also written to build-asan/sanitizer/. No leak is
# suppressed: the plug-ins keep FFmpeg loaded under ASan (see
# keep_ffmpeg_loaded.h), and Qt, fontconfig and PulseAudio leave nothing
# unreachable at exit in our tests.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${OBRIN_ASAN_BUILD_DIR:-build-asan}
reports=$PWD/$build_dir/sanitizer
rm -rf "$reports"
mkdir -p "$reports"
export ASAN_OPTIONS="log_path=$reports/asan:detect_stack_use_after_return=1:strict_string_checks=1"
export UBSAN_OPTIONS="log_path=$reports/ubsan:print_stacktrace=1:halt_on_error=1"
status=0
OBRIN_BUILD_DIR=$build_dir OBRIN_CMAKE_ARGS="-DOBRIN_SANITIZE=ON -DOBRIN_BUILD_BENCH=OFF" \
    ./test.sh "$@" || status=$?
if [ -n "$(ls -A "$reports")" ]; then
    echo "sanitizer reports:"
    head -n 40 "$reports"/*
    exit 1
fi
exit $status
