#!/usr/bin/env bash
# Runs the libFuzzer targets of tests/fuzz (built into build/fuzz with clang,
# AddressSanitizer and UBSan), each from its seed corpus in tests/fuzz/seeds.
#
#   scripts/fuzz.sh            a fixed number of runs per target from a fixed
#                              seed, as CI does (about a minute in all)
#   scripts/fuzz.sh SECONDS    each target for SECONDS, keeping what it learns
#                              in build/fuzz/corpus/<target> for the next run
#
# A crash, a leak, a hang (10 s) or 2 GB of memory fails the run; the input
# is left in build/fuzz/artifacts/. Prints one line of figures per target.
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-}"

"$top/scripts/setup.sh" fuzz
"$top/scripts/build.sh" fuzz > "$top/build/fuzz.build.log" 2>&1 || { cat "$top/build/fuzz.build.log"; exit 1; }

build="$top/build/fuzz"
mkdir -p "$build/artifacts"

# Runs per target in the fixed run: they take about the same time each.
declare -A runs=([FuzzTexts]=60000 [FuzzDeviceList]=30000 [FuzzArchive]=10000)
status=0

for target in FuzzTexts FuzzDeviceList FuzzArchive; do
    options=(-max_len=8192 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
             "-artifact_prefix=$build/artifacts/$target-")
    corpora=("$top/tests/fuzz/seeds/$target")

    if [ -n "$seconds" ]; then
        mkdir -p "$build/corpus/$target"
        options+=("-max_total_time=$seconds")
        corpora=("$build/corpus/$target" "${corpora[@]}")
    else
        # New inputs go to the first folder: a fresh one, not the seeds.
        rm -rf "$build/run-corpus/$target"
        mkdir -p "$build/run-corpus/$target"
        options+=("-runs=${runs[$target]}" -seed=1)
        corpora=("$build/run-corpus/$target" "${corpora[@]}")
    fi

    log="$build/$target.log"
    start=$(date +%s%N)
    if "$build/$target" "${options[@]}" "${corpora[@]}" > "$log" 2>&1; then
        outcome="clean"
    else
        outcome="FAILED (see $log)"
        status=1
    fi
    tenths=$(( ($(date +%s%N) - start) / 100000000 ))
    executions=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
    coverage=$(grep -oE '^#[0-9]+.*cov: [0-9]+' "$log" | tail -1 | grep -oE 'cov: [0-9]+' || echo "cov: ?")
    printf '%-15s %8s executions in %4d.%d s, %s edges, %s\n' "$target" "$executions" $((tenths / 10)) $((tenths % 10)) "${coverage#cov: }" "$outcome"
    [ "$outcome" = "clean" ] || tail -40 "$log"
done

exit "$status"
