#!/usr/bin/env bash
# Configures and builds obrin into build/ (or $OBRIN_BUILD_DIR).
# OBRIN_CMAKE_ARGS adds CMake arguments; OBRIN_WERROR=ON makes warnings errors,
# =OFF makes them warnings again, and unset keeps what the folder had, so a
# benchmark run does not rebuild a folder the tests built with errors on.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${OBRIN_BUILD_DIR:-build}
# Configuring again is quick when nothing changed, and picks up a changed
# OBRIN_WERROR or OBRIN_CMAKE_ARGS in a build folder that already exists.
cmake -S . -B "$build_dir" -G Ninja ${OBRIN_WERROR:+-DOBRIN_WERROR=$OBRIN_WERROR} ${OBRIN_CMAKE_ARGS:-} >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
