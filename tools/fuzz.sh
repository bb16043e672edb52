#!/usr/bin/env bash
# Builds the readers' fuzz targets (fuzz/) with clang++, libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer in build-fuzz/ and runs each for SECONDS_PER_TARGET
# seconds (default 60) from its seed corpus fuzz/corpus/<target>/.
#
#   tools/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]      e.g. tools/fuzz.sh 5 run_file
#
# The committed corpus is copied to a scratch directory first, so it does not
# grow. An input that crashes, trips a sanitizer, leaks, or takes more than a
# second is a finding: it is kept as build-fuzz/findings/<target>/crash-* (or
# leak-*, timeout-*, oom-*), and the script exits with status 1. Repeat one with
#   build-fuzz/fuzz/<target>_fuzz build-fuzz/findings/<target>/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/ensure_packages.sh
korvana_ensure_packages "${KORVANA_BUILD_PACKAGES[@]}" "${KORVANA_FUZZ_PACKAGES[@]}"

seconds=${1:-60}
shift || true
if ! [[ $seconds =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
    echo "usage: tools/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]" >&2
    exit 2
fi
jobs=$(nproc)
[ "$jobs" -gt 2 ] && jobs=2

cmake -S . -B build-fuzz -DKORVANA_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz --target fuzz_targets -j"$jobs"

if [ $# -gt 0 ]; then
    targets=("$@")
else
    targets=()
    for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/korvana-fuzz-run-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=()
printf '%-18s %12s  %s\n' target executions result
for target in "${targets[@]}"; do
    program=build-fuzz/fuzz/${target}_fuzz
    if [ ! -x "$program" ] || [ ! -d "fuzz/corpus/$target" ]; then
        echo "no fuzz target or seed corpus named $target" >&2
        failed+=("$target")
        continue
    fi
    corpus=$scratch/$target
    findings=build-fuzz/findings/$target
    mkdir -p "$corpus" "$findings"
    cp -R "fuzz/corpus/$target/." "$corpus/"
    log=build-fuzz/findings/$target.log
    status=0
    # -timeout=1: an input that takes a second is a hang; -max_len covers the
    # largest seed (a whole result file) with room to grow.
    "$program" "$corpus" -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1 ||
        status=$?
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    if [ "$status" -eq 0 ]; then
        printf '%-18s %12s  %s\n' "$target" "${executions:-?}" "no finding"
    else
        printf '%-18s %12s  %s\n' "$target" "${executions:-?}" "FINDING (exit $status): see $log"
        grep -m3 -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error)' "$log" | sed 's/^/    /' || true
        failed+=("$target")
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing found problems in: ${failed[*]}" >&2
    exit 1
fi
