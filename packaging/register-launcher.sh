#!/usr/bin/env bash
# Puts Halvora into the current user's application menu: writes the launcher
# to ~/.local/share/applications (or $XDG_DATA_HOME/applications) with Exec
# naming the halvora beside this script, and copies the icons to the user's
# hicolor icon theme. Run it again after moving the folder.
#
#   register-launcher.sh           add or update the launcher
#   register-launcher.sh --remove  take the launcher and the icons away
set -euo pipefail

folder=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)
data=${XDG_DATA_HOME:-$HOME/.local/share}
apps=$data/applications
icons=$data/icons/hicolor
entry=$apps/halvora.desktop

refresh() {
    if command -v update-desktop-database >/dev/null 2>&1; then
        update-desktop-database -q "$apps" 2>/dev/null || true
    fi
    if command -v gtk-update-icon-cache >/dev/null 2>&1 && [[ -f $icons/index.theme ]]; then
        gtk-update-icon-cache -q -t "$icons" 2>/dev/null || true
    fi
}

case ${1:-} in
    "") ;;
    --remove)
        rm -f "$entry" "$icons"/*/apps/halvora.png "$icons"/scalable/apps/halvora.svg
        refresh
        echo "Removed the Halvora launcher from $apps"
        exit 0
        ;;
    *)
        echo "usage: $0 [--remove]" >&2
        exit 2
        ;;
esac

template=$folder/share/applications/halvora.desktop
if [[ ! -x $folder/halvora || ! -f $template ]]; then
    echo "register-launcher.sh: $folder does not hold halvora and share/applications/halvora.desktop" >&2
    exit 1
fi

# Exec as one quoted argument: inside the quotes " ` $ and \ take a
# backslash, the file's string escaping then doubles every backslash, and a
# literal % is written %%.
exec_path=$folder/halvora
exec_path=${exec_path//\\/\\\\}
exec_path=${exec_path//\"/\\\"}
exec_path=${exec_path//\`/\\\`}
exec_path=${exec_path//\$/\\\$}
exec_path=${exec_path//\\/\\\\}
exec_path=${exec_path//%/%%}

mkdir -p "$apps" "$icons"
while IFS= read -r line || [[ -n $line ]]; do
    case $line in
        Exec=*) printf 'Exec="%s"\n' "$exec_path" ;;
        *) printf '%s\n' "$line" ;;
    esac
done <"$template" >"$entry.tmp"
mv -f "$entry.tmp" "$entry"
cp -R "$folder/share/icons/hicolor/." "$icons/"
refresh
echo "Halvora launcher written to $entry"
