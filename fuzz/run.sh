#!/usr/bin/env bash
# Builds the fuzz targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer in
# build-fuzz/ and runs each for SECONDS (default 60), JOBS at a time (default: the number of
# cores). Any crash, sanitizer report, leak, failed property, input slower than 5 s or memory
# use above 2 GB fails the run; the input behind it is kept in build-fuzz/findings/TARGET/ and
# the report in build-fuzz/logs/TARGET.log. New inputs collect in build-fuzz/corpus/TARGET/, so
# a later run goes on from there; the seeds in fuzz/corpus/ are only read. Naming targets runs
# only those.
#   fuzz/run.sh [SECONDS [JOBS [TARGET...]]]
set -euo pipefail
SIGNCONFIG_ROOT="$(cd "$(dirname "$0")/.." && pwd)"
. "$SIGNCONFIG_ROOT/scripts/common.sh"

seconds="${1:-60}"
jobs="${2:-$(nproc)}"
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ && "$jobs" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 [SECONDS [JOBS [TARGET...]]]" >&2
    exit 2
fi

targets=(reply configdump led_reader led_roundtrip dm_reader dm_encoder testmessage numbers led_input json_input telnetcodec
         portentry)
if [ "$#" -gt 2 ]; then
    for name in "${@:3}"; do
        if ! [[ " ${targets[*]} " == *" $name "* ]]; then
            echo "$0: no fuzz target \"$name\"; the targets are: ${targets[*]}" >&2
            exit 2
        fi
    done
    targets=("${@:3}")
fi
build="$SIGNCONFIG_ROOT/build-fuzz"

install_missing_packages "${SIGNCONFIG_PACKAGES[@]}" clang libclang-rt-14-dev
cmake -S "$SIGNCONFIG_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DSIGNCONFIG_FUZZ=ON -DBUILD_TESTING=OFF
cmake --build "$build" --target fuzzers

# Ten frames of allocation stack are enough to place a heap error and halve the cost of the
# string-heavy targets against the default thirty.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:malloc_context_size=10"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$SIGNCONFIG_ROOT/tests/lsan.supp:print_suppressions=0"

# One target: the seeds first, then new inputs for `seconds`. Writes its exit status last.
run_target() {
    local name="$1"
    local corpus="$build/corpus/$name" findings="$build/findings/$name/" log="$build/logs/$name.log"
    mkdir -p "$corpus" "$findings"
    local status=0
    "$build/fuzz/fuzz_$name" "$corpus" "$SIGNCONFIG_ROOT/fuzz/corpus/$name" \
        -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -malloc_limit_mb=2048 \
        -max_len=4096 -print_final_stats=1 -artifact_prefix="$findings" >"$log" 2>&1 || status=$?
    echo "$status" >"$build/logs/$name.status"
}

rm -rf "$build/logs"
mkdir -p "$build/logs"
running=0
for name in "${targets[@]}"; do
    if [ "$running" -ge "$jobs" ]; then
        wait -n || true
        running=$((running - 1))
    fi
    echo "Fuzzing $name for $seconds s"
    run_target "$name" &
    running=$((running + 1))
done
wait

failed=0
printf '%-14s %12s  %s\n' target runs result
for name in "${targets[@]}"; do
    log="$build/logs/$name.log"
    status="$(cat "$build/logs/$name.status" 2>/dev/null || echo missing)"
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
    # A run cut short by a finding prints no final statistics; its last status line counts.
    [ -n "$runs" ] || runs="$(sed -n 's/^#\([0-9]*\).*/\1/p' "$log" | tail -n 1)"
    if [ "$status" = 0 ]; then
        printf '%-14s %12s  %s\n' "$name" "${runs:-?}" "no finding"
    else
        failed=1
        printf '%-14s %12s  %s\n' "$name" "${runs:-?}" "FINDING (exit $status), see $log and $build/findings/$name/"
    fi
done
if [ "$failed" -ne 0 ]; then
    for name in "${targets[@]}"; do
        if [ "$(cat "$build/logs/$name.status" 2>/dev/null)" != 0 ]; then
            echo "---- $name"
            tail -n 60 "$build/logs/$name.log"
        fi
    done
    exit 1
fi
