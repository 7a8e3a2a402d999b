#!/usr/bin/env bash
# Runs every libFuzzer program of a DW_FUZZ build for a set time, all at once (one process each),
# starting from the committed seeds. New inputs go to <build>/fuzz-corpus/<target>, findings
# (crash-, leak-, timeout-, oom- files) to <build>/findings/<target>; a target that finds one
# fails the run. A reproducer worth keeping is copied into fuzz/corpus/<target>, which the
# ordinary test build then replays.
#
#     fuzz/run.sh <build folder> [seconds per target]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: run.sh <build folder> [seconds]}" && pwd)
seconds=${2:-60}
targets=(keyed_archive property_list template_load geometry_text subtitle_file project_package
         binary_plist_walk)
# Inputs are up to 64 KiB, but the property-list walk needs room for deep nesting.
declare -A max_len=([binary_plist_walk]=2097152)

export QT_QPA_PLATFORM=offscreen DISCWRIGHT_FATAL_ASSERTS=1
pids=()
for t in "${targets[@]}"; do
    corpus="$build/fuzz-corpus/$t"
    findings="$build/findings/$t"
    mkdir -p "$corpus" "$findings"
    # -timeout: an input that takes this long is a hang; -rss_limit_mb: a blow-up of memory.
    "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len="${max_len[$t]:-65536}" -print_final_stats=1 -artifact_prefix="$findings/" \
        "$corpus" "$here/corpus/$t" >"$build/findings/$t.log" 2>&1 &
    pids+=($!)
done
status=0
for i in "${!targets[@]}"; do
    t=${targets[$i]}
    if wait "${pids[$i]}"; then result=ok; else result=FAILED; status=1; fi
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/findings/$t.log" | grep -o '[0-9]*$')
    echo "fuzz $t: $result, ${runs:-?} executions in ${seconds} s (log: $build/findings/$t.log)"
done
exit $status
