#!/usr/bin/env bash
# Hardening run: the whole test suite built with AddressSanitizer (leaks
# included) and UndefinedBehaviorSanitizer, then the fuzz targets of the
# arithmetic core for 60 seconds each. Any sanitizer report, failing test or
# fuzz finding fails the script.
#
# HALVORA_ASAN_BUILD_DIR  build folder (default build-asan/ in the tree)
# FUZZ_BUILD_DIR          fuzz build folder (default <build folder>/fuzz)
# HALVORA_FUZZ_SECONDS    seconds per fuzz target (default 60)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${HALVORA_ASAN_BUILD_DIR:-$root/build-asan}
mkdir -p "$build"
build=$(cd "$build" && pwd)

bash "$here/deps.sh"

sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=g++ \
    -DCMAKE_CXX_FLAGS="$sanitize" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DHALVORA_BUILD_BENCH=OFF
cmake --build "$build" -j"$(nproc)"

# Every report goes to a file as well as failing its process: a report from a
# process whose exit code nobody checks (the program under the Xvfb smoke
# test, say) still fails the run.
reports="$build/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
status=0
(
    cd "$build"
    export ASAN_OPTIONS="detect_leaks=1:log_path=$reports/asan"
    export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan"
    ctest --output-on-failure -j"$(nproc)"
) || status=$?

if compgen -G "$reports/*" >/dev/null; then
    echo "== sanitizer reports"
    for report in "$reports"/*; do
        echo "-- $report"
        cat "$report"
    done
    status=1
fi
if ((status != 0)); then
    echo "FAIL: the sanitizer build of the test suite"
    exit "$status"
fi
echo "== sanitizer build: all tests passed, no reports"

FUZZ_BUILD_DIR=${FUZZ_BUILD_DIR:-$build/fuzz} bash "$root/fuzz/run.sh" "${HALVORA_FUZZ_SECONDS:-60}"
