#!/usr/bin/env bash
# Installs what is missing, builds Halvora and runs every test.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/deps.sh"
bash "$here/build.sh"
cd "$here/../build"
ctest --output-on-failure -j"$(nproc)"
