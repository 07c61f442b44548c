#!/usr/bin/env bash
# Installs what is missing, builds Halvora and starts it on its default
# isotope database (build/app/BazaIzotopow.mdb, made on the first build).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/deps.sh"
bash "$here/build.sh"
exec "$here/../build/app/halvora"
