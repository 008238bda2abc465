#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (into build-fuzz, or $BUILD_DIR) and
# runs each for a number of inputs, with a corpus seeded from the delivered
# settings, language, name-list and gun files.
#   scripts/fuzz.sh                 # 1000000 inputs for every target
#   scripts/fuzz.sh 20000           # a short run (CI)
#   scripts/fuzz.sh 1000000 fuzz_replies fuzz_payloads
# FUZZ_MAX_SECONDS bounds each target's run in time as well (0: no bound).
# A crash, a leak or a hang fails the run; the input that caused it is kept
# in <build>/fuzz-artifacts. One line a target: inputs, seconds, inputs per second.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-1000000}"
shift || true
build="${BUILD_DIR:-$root/build-fuzz}"
data="$root/data/modules"

# -O1 and line tables only: the builds take a good part less time, and the
# reports still name file and line.
light="-O1 -g1 -DNDEBUG"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$light" -DCMAKE_C_FLAGS_RELWITHDEBINFO="$light" -DKESTREL_FUZZ=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzz_all >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(fuzz_eventreport fuzz_replies fuzz_devicetable fuzz_macrofile fuzz_languagefile
             fuzz_namelists fuzz_gundata fuzz_payloads fuzz_ctlrequest)
fi

# Seeds: the delivered files each parser reads, and a few hand-made inputs.
seed() {
    local target="$1" dir="$2"
    case "$target" in
        fuzz_devicetable) cp "$data"/setting/apConfig.bin "$data"/setting/apConfigD.bin "$dir"/ ;;
        fuzz_macrofile)
            printf '[config]\nindex=0\ntotal=3\nrepeat=1\ndid=-1\n\n[macro]\n0="1,A"\n1="0,50"\n2="2,A"\n' > "$dir/macro.ini"
            cp "$data"/setting/p1.bin "$dir"/ ;;
        fuzz_languagefile) cp "$data"/i18n/*.ini "$dir"/ ;;
        fuzz_namelists) cp "$data"/setting/name.bin "$dir"/ ;;
        fuzz_gundata) cp "$data"/gun/gunData.bin "$dir"/ ;;
        fuzz_eventreport) printf '\x06\x07\x00\x03' > "$dir/stage3"; printf '\x06\x05\x00\x01' > "$dir/other" ;;
        fuzz_replies) printf '\x00\x28507326\xa0\xa1\xa2\xa3\x80\x80\x80\x80\x80\x80' > "$dir/echo" ;;
        fuzz_payloads) cp "$data"/setting/p1.bin "$dir"/ ;;
        fuzz_ctlrequest)
            printf '["--json","profile","import","/tmp/a.pf","Racing"]' > "$dir/import"
            printf '["rate","500"]' > "$dir/rate"; printf 'Standard0,loaderzephyr' > "$dir/names" ;;
    esac
}

mkdir -p "$build/fuzz-artifacts"
status=0
printf '%-20s %10s %8s %10s  %s\n' target inputs seconds inputs/s result
for target in "${targets[@]}"; do
    corpus="$build/fuzz-corpus/$target"
    mkdir -p "$corpus"
    seed "$target" "$corpus"
    log="$build/fuzz-artifacts/$target.log"
    start=$(date +%s.%N)
    result=clean
    # Crashes, leaks and inputs running over 10 s end the run with a failure.
    if ! "$build/fuzz/$target" -runs="$runs" -max_total_time="${FUZZ_MAX_SECONDS:-0}" \
            -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$target-" \
            "$corpus" >"$log" 2>&1; then
        result="FAILED (see $log)"
        status=1
    fi
    seconds=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')
    executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rate=$(awk -v n="${executed:-0}" -v s="$seconds" 'BEGIN { printf "%d", (s > 0 ? n / s : 0) }')
    printf '%-20s %10s %8.1f %10s  %s\n' "$target" "${executed:-?}" "$seconds" "${rate:-?}" "$result"
done
exit "$status"
