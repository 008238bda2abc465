#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds, and runs against the virtual mouse:
# for now the transport's pacing benchmark.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
"${BUILD_DIR:-$root/build}/bench/pacing_bench"
