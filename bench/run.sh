#!/usr/bin/env bash
# Builds the benchmarks in release mode and runs them. Every figure is printed
# beside a baseline measured in the same run (snprintf/strtod for number text,
# a bare Qt window for start-up, and so on).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
build="$root/build-bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DHALVORA_BUILD_TESTS=OFF
cmake --build "$build" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
for b in "$build"/bench/*_bench; do
    echo "== $(basename "$b")"
    "$b" -median 5 2>&1 | grep -v "propagateSizeHints"
done
echo "== start-up"
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1024x768x24 -noreset" /usr/bin/python3 "$root/bench/startup.py" \
    "$build/app/halvora" "$build/bench/barewindow" "$build/app/BazaIzotopow.mdb"
