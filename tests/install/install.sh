#!/usr/bin/env bash
# Halvora's folder as a user gets it.
#
#   install.sh launcher|folder|archive <cmake> <cpack> <build dir> <halvora> <halvora_makedb>
#
# launcher: the installed launcher passes desktop-file-validate and its Exec
#           names the installed executable, even under a folder whose path
#           needs quoting; a DESTDIR install names the final place, not the
#           staging one; register-launcher.sh writes a valid user launcher.
# folder:   cmake --install into a fresh folder; the program started from
#           there shows its window with no error box and exits with 0 when
#           closed; reinstalling keeps an edited database byte for byte, and
#           makes a new one only when it is gone.
# archive:  the cpack TGZ unpacked into a fresh folder runs the same way.
#           Exits 77 (skipped) when cpack is not available.
set -euo pipefail

mode=$1 cmake=$2 cpack=$3 build=$4 exe=$5 makedb=$6
here=$(cd "$(dirname "$0")" && pwd)
closewindow=$here/../app/closewindow.py

fail() {
    echo "FAIL: $*"
    exit 1
}

for built in "$exe" "$makedb"; do
    [[ -x $built ]] || fail "$built is not built"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/halvora instalacja.XXXXXX")
trap 'rm -rf "$work"' EXIT

install_into() {
    local log=$work/install.log
    if ! "$cmake" --install "$build" --prefix "$1" >"$log" 2>&1; then
        cat "$log"
        fail "cmake --install into '$1'"
    fi
}

# The files a folder of Halvora must hold.
check_layout() {
    local folder=$1 size
    [[ -x $folder/halvora ]] || fail "no executable halvora in '$folder'"
    [[ -f $folder/BazaIzotopow.mdb ]] || fail "no BazaIzotopow.mdb beside the executable in '$folder'"
    [[ -x $folder/register-launcher.sh ]] || fail "no register-launcher.sh in '$folder'"
    [[ -f $folder/share/applications/halvora.desktop ]] || fail "no launcher in '$folder'"
    for size in 16 24 32 48 64 128 256; do
        [[ -f $folder/share/icons/hicolor/${size}x${size}/apps/halvora.png ]] \
            || fail "no ${size}x${size} icon in '$folder'"
    done
    [[ -f $folder/share/icons/hicolor/scalable/apps/halvora.svg ]] || fail "no scalable icon in '$folder'"
    [[ $(row_count "$folder/BazaIzotopow.mdb") -gt 0 ]] || fail "the database in '$folder' has no isotopes"
}

# One key of a desktop entry, as written.
desktop_key() {
    sed -n "s/^$2=//p" "$1" | head -n1
}

# The program an entry's Exec starts, unescaped and unquoted by the rules
# of the freedesktop desktop-entry format.
exec_program() {
    /usr/bin/python3 - "$1" <<'PY'
import sys

line = next(l for l in open(sys.argv[1], encoding="utf-8").read().splitlines()
            if l.startswith("Exec="))
value = line[len("Exec="):]
# String level: \s \n \t \r \\.
text, i = "", 0
while i < len(value):
    if value[i] == "\\" and i + 1 < len(value):
        text += {"s": " ", "n": "\n", "t": "\t", "r": "\r", "\\": "\\"}.get(value[i + 1], "\\" + value[i + 1])
        i += 2
    else:
        text += value[i]
        i += 1
# Quoting level: the first argument.
arg, i = "", 0
if text.startswith('"'):
    i = 1
    while text[i] != '"':
        if text[i] == "\\":
            i += 1
        arg += text[i]
        i += 1
else:
    arg = text.split(" ")[0]
print(arg.replace("%%", "%"))
PY
}

row_count() {
    /usr/bin/python3 -c '
import sqlite3, sys
print(sqlite3.connect(sys.argv[1]).execute("SELECT COUNT(*) FROM Izotopy").fetchone()[0])' "$1"
}

validate() {
    local out
    out=$(desktop-file-validate "$1" 2>&1) || { echo "$out"; fail "desktop-file-validate '$1'"; }
}

# Checks a launcher that names the program in <folder> and the entry's fixed keys.
check_entry() {
    local entry=$1 folder=$2 program
    validate "$entry"
    program=$(exec_program "$entry")
    [[ $program == "$folder/halvora" ]] || fail "Exec of '$entry' starts '$program', not '$folder/halvora'"
    [[ $(desktop_key "$entry" Icon) == halvora ]] || fail "Icon of '$entry'"
    [[ $(desktop_key "$entry" Categories) == "Education;Science;" ]] || fail "Categories of '$entry'"
    [[ $(desktop_key "$entry" Terminal) == false ]] || fail "Terminal of '$entry'"
}

# Starts <folder>/halvora from another directory, so that only the program's
# own folder can supply the database, and checks the window, the absence of
# an error box, the window class the launcher names, and exit code 0.
run_from() {
    local folder=$1 pid window="" title class wmclass status=0
    wmclass=$(desktop_key "$folder/share/applications/halvora.desktop" StartupWMClass)
    (cd "$work" && exec "$folder/halvora") &
    pid=$!
    for _ in $(seq 1 200); do
        window=$(xdotool search --onlyvisible --name "^Halvora - " 2>/dev/null | head -n1 || true)
        [[ -n $window ]] && break
        kill -0 "$pid" 2>/dev/null || fail "the program in '$folder' ended before its window appeared"
        sleep 0.1
    done
    if [[ -z $window ]]; then
        kill "$pid"
        fail "no window of the program in '$folder'"
    fi
    title=$(xdotool getwindowname "$window")
    # An error box from opening the database follows the window at once.
    sleep 0.5
    if xdotool search --onlyvisible --name "^Halvora$" >/dev/null 2>&1; then
        kill "$pid"
        fail "an error box is open at start-up of the program in '$folder'"
    fi
    class=$(/usr/bin/python3 -c '
import sys
from Xlib import display
d = display.Display()
print(d.create_resource_object("window", int(sys.argv[1])).get_wm_class()[1])' "$window")
    if [[ $class != "$wmclass" ]]; then
        kill "$pid"
        fail "window class '$class', the launcher's StartupWMClass is '$wmclass'"
    fi
    /usr/bin/python3 "$closewindow" "$window"
    for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    wait "$pid" || status=$?
    [[ $status -eq 0 ]] || fail "the program in '$folder' exited with $status"
    echo "ok: '$title' from '$folder' shown and closed, exit code 0"
}

register_from() {
    local folder=$1 xdg=$work/xdg entry size
    entry=$xdg/applications/halvora.desktop
    XDG_DATA_HOME=$xdg "$folder/register-launcher.sh" >/dev/null || fail "register-launcher.sh in '$folder'"
    check_entry "$entry" "$folder"
    for size in 16 24 32 48 64 128 256; do
        [[ -f $xdg/icons/hicolor/${size}x${size}/apps/halvora.png ]] || fail "register-launcher.sh: no ${size}x${size} icon"
    done
    XDG_DATA_HOME=$xdg "$folder/register-launcher.sh" --remove >/dev/null || fail "register-launcher.sh --remove"
    [[ ! -e $entry ]] || fail "register-launcher.sh --remove left the launcher"
    [[ -z $(find "$xdg/icons" -name 'halvora.*') ]] || fail "register-launcher.sh --remove left icons"
    echo "ok: register-launcher.sh from '$folder' adds and removes the user's launcher"
}

case $mode in
launcher)
    # A folder whose path the Exec line must quote and escape. (cmake
    # --install itself refuses a prefix with a backslash; the copy that
    # register-launcher.sh is tried on below has one.)
    prefix="$work/Program \"Halvora\" \$HOME \`x\` 100% zażółć"
    install_into "$prefix"
    check_layout "$prefix"
    check_entry "$prefix/share/applications/halvora.desktop" "$prefix"
    echo "ok: the installed launcher is valid and starts '$prefix/halvora'"

    stage=$work/stage
    DESTDIR=$stage "$cmake" --install "$build" --prefix /opt/halvora >"$work/install.log" 2>&1 \
        || { cat "$work/install.log"; fail "DESTDIR install"; }
    check_layout "$stage/opt/halvora"
    check_entry "$stage/opt/halvora/share/applications/halvora.desktop" /opt/halvora
    echo "ok: a DESTDIR install names /opt/halvora/halvora"

    moved="$work/przeniesiony \\ \$HOME \"x\""
    cp -a "$prefix" "$moved"
    register_from "$moved"
    ;;
folder)
    prefix="$work/Mój Halvora"
    install_into "$prefix"
    check_layout "$prefix"
    run_from "$prefix"

    db=$prefix/BazaIzotopow.mdb
    /usr/bin/python3 -c '
import sqlite3, sys
c = sqlite3.connect(sys.argv[1])
c.execute("INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES (?, ?, ?)", ("Próbny-1", 12.5, 3.25))
c.commit()' "$db"
    before=$(sha256sum <"$db")
    install_into "$prefix"
    [[ $(sha256sum <"$db") == "$before" ]] || fail "reinstalling changed the edited database"
    grep -q "Keeping the existing database" "$work/install.log" || fail "the reinstall did not report keeping the database"
    echo "ok: reinstalling kept the edited database byte for byte"
    run_from "$prefix"
    [[ $(sha256sum <"$db") == "$before" ]] || fail "starting and closing the program changed the database"

    rm "$db"
    install_into "$prefix"
    [[ -f $db && $(sha256sum <"$db") != "$before" ]] || fail "reinstalling did not make a new default database"
    echo "ok: reinstalling without a database makes the default one"
    ;;
archive)
    if [[ -z $cpack || ! -x $cpack ]]; then
        echo "SKIP: cpack is not available"
        exit 77
    fi
    if ! "$cpack" -G TGZ --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1; then
        cat "$work/cpack.log"
        fail "cpack -G TGZ"
    fi
    archives=("$work"/pkg/*.tar.gz)
    [[ ${#archives[@]} -eq 1 && -f ${archives[0]} ]] || fail "cpack made no single .tar.gz"
    tops=$(tar -tzf "${archives[0]}" | cut -d/ -f1 | sort -u)
    [[ $(wc -l <<<"$tops") -eq 1 ]] || fail "the archive has more than one top-level entry: $tops"

    unpacked="$work/rozpakowany łoś"
    mkdir -p "$unpacked"
    tar -xzf "${archives[0]}" -C "$unpacked"
    folder=$unpacked/$tops
    check_layout "$folder"
    entry=$folder/share/applications/halvora.desktop
    validate "$entry"
    [[ $(desktop_key "$entry" Exec) == halvora ]] \
        || fail "the archive's launcher has Exec=$(desktop_key "$entry" Exec)"
    echo "ok: $(basename "${archives[0]}") unpacks into one folder with a valid launcher"
    run_from "$folder"
    register_from "$folder"
    ;;
*)
    fail "unknown mode '$mode'"
    ;;
esac
echo "PASS: $mode"
