#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a number of seconds each, one after the other.
# usage: scripts/run-fuzz.sh BUILD_DIR SECONDS [TARGET...]
# Each target starts from its seeds in fuzz/corpus/ and keeps what it learns in
# BUILD_DIR/fuzz-corpus/ (the seeds in the tree stay as they are). An input that crashes,
# trips a sanitizer, breaks a checked property or runs longer than FUZZ_TIMEOUT seconds (30: a
# run at low priority on a busy machine can stall for seconds) is saved in
# BUILD_DIR/fuzz-findings/; the script then fails.
set -uo pipefail
build=$1
seconds=$2
shift 2
root=$(cd "$(dirname "$0")/.." && pwd)
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for t in "$build"/fuzz/fuzz_*; do
        [ -x "$t" ] && targets+=("$(basename "$t")")
    done
fi
mkdir -p "$build/fuzz-findings"
failed=()
for name in "${targets[@]}"; do
    corpus="$build/fuzz-corpus/$name"
    mkdir -p "$corpus"
    echo "== $name: $seconds s"
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$build/fuzz/$name" -max_total_time="$seconds" -timeout="${FUZZ_TIMEOUT:-30}" -rss_limit_mb=4096 -max_len=16384 \
        -print_final_stats=1 -artifact_prefix="$build/fuzz-findings/$name-" \
        "$corpus" "$root/fuzz/corpus/$name" 2>&1 | grep --line-buffered -E '^(==|#[0-9]+ *DONE|stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb|SUMMARY|.*check failed|.*ERROR|artifact_prefix|Test unit written)' 
    [ "${PIPESTATUS[0]}" -eq 0 ] || failed+=("$name")
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz findings in: ${failed[*]} (inputs in $build/fuzz-findings/)"
    exit 1
fi
echo "fuzz: ${#targets[@]} targets, no findings"
