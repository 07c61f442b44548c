#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a while.
#
#   bash fuzz/run.sh [seconds]      seconds per target, 60 if not given
#
# FUZZ_BUILD_DIR  where to build (default /tmp/halvora-fuzz); the corpus the
#                 fuzzers grow and any crash files land there too, never in
#                 the source tree. Reusing the folder resumes from its corpus.
# FUZZ_CXX        the clang++ to build with (default clang++)
#
# Prints the executions of every target and exits non-zero when any target
# reports a finding (a property violation, a sanitizer report or a crash).
set -euo pipefail

seconds=${1:-60}
if ! [[ $seconds =~ ^[0-9]+$ ]] || ((seconds < 1)); then
    echo "usage: $0 [seconds per target]" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
build=${FUZZ_BUILD_DIR:-/tmp/halvora-fuzz}
targets=(fuzz_text_to_number fuzz_number_to_text fuzz_decay)

generator=()
if command -v ninja >/dev/null; then generator=(-G Ninja); fi
cmake -S "$here" -B "$build" "${generator[@]}" -DCMAKE_CXX_COMPILER="${FUZZ_CXX:-clang++}" >/dev/null
cmake --build "$build" -j"$(nproc)"

failed=()
summary=()
for target in "${targets[@]}"; do
    work="$build/corpus/$target"
    artifacts="$build/artifacts/$target"
    log="$build/$target.log"
    mkdir -p "$work" "$artifacts"
    echo "== $target: ${seconds}s"
    # New inputs go to the first folder; the seeds in the tree are only read.
    status=0
    "$build/$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=20 \
        -artifact_prefix="$artifacts/" "$work" "$here/corpus/$target" >"$log" 2>&1 || status=$?
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
    executions=${executions:-0}
    if ((status != 0)) || grep -qE "PROPERTY VIOLATED|runtime error:|ERROR: (Address|Leak|Undefined)Sanitizer|ERROR: libFuzzer" "$log"; then
        grep -E -A3 "PROPERTY VIOLATED|runtime error:|ERROR: |SUMMARY:" "$log" | head -n 40 || true
        echo "   see $log and $artifacts/"
        failed+=("$target")
        summary+=("$target: FINDING after $executions executions")
    else
        summary+=("$target: $executions executions, no findings")
    fi
done

echo "== fuzz summary (${seconds}s per target)"
printf '   %s\n' "${summary[@]}"
if ((${#failed[@]})); then
    echo "FAIL: findings in ${failed[*]}"
    exit 1
fi
