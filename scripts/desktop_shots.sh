#!/usr/bin/env bash
# Starts Zelventa on a virtual X display the way a desktop user meets it:
# a folder tree widened by the splitter (as the profile keeps it), a folder
# typed into the Folder field (reached with its access key, Alt+F), all its
# pictures added, one file there that is no picture; then F1 on a desktop
# without a web browser, which opens the help inside the program. Saves
# help/screenshots/desktop-main.png and desktop-help.png.
#   scripts/desktop_shots.sh [OUTPUT_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-help/screenshots}")
bin=$(realpath build/app/zelventa)

if [ -z "${ZV_SHOT_INSIDE:-}" ]; then
    export ZV_SHOT_INSIDE=1
    exec xvfb-run -a -s "-screen 0 1280x900x24" "$0" "$out"
fi

mkdir -p "$out"
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/config/zelventa" "$work/home/Desktop" "$work/empty-path"
printf '[Main Window]\nTreeWidth=300\n' >"$work/config/zelventa/zelventa.ini"
photos="$work/home/Pictures/Holidays 2026/Coast and mountains"
scripts/make-samples.sh "$photos" >/dev/null
echo "a shopping list, not a photograph" >"$photos/notes.jpg"
mkdir -p "$work/home/Pictures/Holidays 2026/Family reunion in the garden"

# No PATH: the desktop finds no program to open the help page with.
HOME="$work/home" XDG_CONFIG_HOME="$work/config" PATH="$work/empty-path" "$bin" &
pid=$!

window() { xdotool search --sync --onlyvisible --name "^$1\$" | head -1; }
shoot() { sleep 0.8; import -window "$1" "$out/$2.png"; echo "saved $out/$2.png"; }

click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.4; }

main=$(window "Zelventa 1.00")
xdotool windowsize --sync "$main" 1060 700 || true
sleep 0.5
read -r width height < <(xdotool getwindowgeometry "$main" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\)/\1 \2/p')
sleep 1
# The Folder field: right of the "Folder:" label on the page, which starts
# beside the 300-pixel tree. With no window manager, keys go to the window
# under the pointer, which stays there.
click "$main" $((width - 150)) 51
xdotool key ctrl+a
xdotool type --delay 5 "$photos"
xdotool key Return
sleep 4
# Add All: the third button from the right above the selected list.
click "$main" $((width - 256)) $((height - 307))
sleep 1
shoot "$main" desktop-main

xdotool mousemove --window "$main" 600 450
xdotool key F1
help=$(window "Zelventa Help")
shoot "$help" desktop-help
xdotool mousemove --window "$main" 600 450
xdotool key alt+q
wait "$pid" || true
