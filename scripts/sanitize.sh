#!/usr/bin/env bash
# Builds and tests under a sanitizer, in a build directory of its own.
#   scripts/sanitize.sh address   # AddressSanitizer + UndefinedBehaviorSanitizer, every test
#   scripts/sanitize.sh thread    # ThreadSanitizer: the event reader, discovery, unplugging, end to end
# BUILD_DIR overrides the directory (build-asan / build-tsan).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
mode="${1:-address}"
case "$mode" in
    address)
        build="${BUILD_DIR:-$root/build-asan}"
        option=KESTREL_SANITIZE_ADDRESS
        targets=(all)
        tests=()
        ;;
    thread)
        build="${BUILD_DIR:-$root/build-tsan}"
        option=KESTREL_SANITIZE_THREAD
        # The tests with a second thread of the program's own, the reader: in
        # process, and the real program living through connection, DPI
        # reports, unplugging and quitting.
        targets=(tst_eventreader tst_discovery tst_unplug tst_endtoend_lifecycle tst_endtoend_mainscreen)
        tests=(-R '^(tst_eventreader|tst_discovery|tst_unplug|tst_endtoend_lifecycle|tst_endtoend_mainscreen)$')
        ;;
    *)
        echo "usage: $0 address|thread" >&2
        exit 2
        ;;
esac
jobs="$(nproc)"
# -O1 and line tables only: the builds take a good part less time, and the
# reports still name file and line.
light="-O1 -g1 -DNDEBUG"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$light" -DCMAKE_C_FLAGS_RELWITHDEBINFO="$light" -D"$option"=ON >/dev/null
for target in "${targets[@]}"; do
    cmake --build "$build" -j"$jobs" --target "$target"
done
# The sanitizer options (report files, suppressions for system libraries)
# reach every test and every process a test starts through the environment.
# shellcheck disable=SC1091
source "$build/sanitizer-env.sh"
cd "$build"
ctest --output-on-failure -j"$jobs" "${tests[@]}"
