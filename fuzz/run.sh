#!/usr/bin/env bash
# Builds the libFuzzer targets (AddressSanitizer + UndefinedBehaviorSanitizer),
# replays the committed seed corpora, then fuzzes each target for
# FUZZ_SECONDS (30 by default) from those seeds. New inputs go to a scratch
# folder, never into the committed corpora; a crash, leak, hang or
# out-of-memory fails the script and leaves its input in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-30}
jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p build-fuzz/artifacts

# Runs the fuzzer with its output in a log; shows the summary, or the whole
# end of the log when the fuzzer found something.
run_fuzzer() {
    local log=$scratch/log
    if ! "$@" >"$log" 2>&1; then
        tail -n 80 "$log"
        echo "fuzz: $1 failed; its input is in build-fuzz/artifacts/"
        exit 1
    fi
    grep -E "^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb|Executed)" \
        "$log" | tail -n 5 || true
}

for target in project options font board studio; do
    fuzzer=build-fuzz/fuzz/${target}_fuzz
    corpus=fuzz/corpus/$target
    # The fonts start from the small font files the tests use.
    [ "$target" = font ] && corpus=tests/fonts
    echo "=== fuzz: $target (replay, then ${seconds} s) ==="
    run_fuzzer "$fuzzer" -artifact_prefix=build-fuzz/artifacts/$target- "$corpus"/*
    mkdir -p "$scratch/$target"
    # The options target must also meet words past the command-line limit.
    max_len=8192
    [ "$target" = options ] && max_len=12000
    # Fonts are binary: no word list helps there.
    dict=()
    [ -f fuzz/$target.dict ] && dict=(-dict=fuzz/$target.dict)
    run_fuzzer "$fuzzer" -max_total_time="$seconds" -max_len=$max_len -timeout=10 -rss_limit_mb=2048 \
        "${dict[@]}" -artifact_prefix=build-fuzz/artifacts/$target- -print_final_stats=1 \
        "$scratch/$target" "$corpus"
done
