#!/usr/bin/env bash
# End-to-end: the real executable, copied with its default database into a
# fresh folder whose path holds a space and Polish letters, is started on a
# real X server. Its window must appear with the right title and no error box,
# and closing the window must end the process with exit code 0.
set -euo pipefail

exe=$1
db=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/halvora próba.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$exe" "$work/halvora"
cp "$db" "$work/BazaIzotopow.mdb"
cd "$work"

expected="Halvora - Pracownia Halvora - Toruń 2015 - Wersja 2.0.0"
./halvora &
pid=$!

window=""
for _ in $(seq 1 200); do
    window=$(xdotool search --onlyvisible --name "^Halvora - " 2>/dev/null | head -n1 || true)
    [[ -n $window ]] && break
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "FAIL: the program ended before its window appeared"
        exit 1
    fi
    sleep 0.1
done
if [[ -z $window ]]; then
    echo "FAIL: no window appeared"
    kill "$pid"
    exit 1
fi

title=$(xdotool getwindowname "$window")
if [[ $title != "$expected" ]]; then
    echo "FAIL: window title is '$title'"
    kill "$pid"
    exit 1
fi
if xdotool search --onlyvisible --name "^Halvora$" >/dev/null 2>&1; then
    echo "FAIL: an error box is open at start-up"
    kill "$pid"
    exit 1
fi

/usr/bin/python3 "$here/closewindow.py" "$window"
status=0
for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
wait "$pid" || status=$?
if [[ $status -ne 0 ]]; then
    echo "FAIL: exit code $status"
    exit 1
fi
echo "PASS: window '$title' shown and closed, exit code 0"
