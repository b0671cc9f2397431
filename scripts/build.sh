#!/usr/bin/env bash
# Configures (once) and builds obrin into build/ (or $OBRIN_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${OBRIN_BUILD_DIR:-build}
if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S . -B "$build_dir" -G Ninja ${OBRIN_CMAKE_ARGS:-}
fi
cmake --build "$build_dir" -j "$(nproc)"
