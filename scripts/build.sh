#!/usr/bin/env bash
# Configures and builds into ./build (or $BUILD_DIR): everything, or only
# the targets named as arguments.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=()
[ $# -gt 0 ] && targets=(--target "$@")
cmake --build "$build" -j"$(nproc)" "${targets[@]}"
