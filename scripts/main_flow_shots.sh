#!/usr/bin/env bash
# Walks the main steps of Zelventa on a virtual X display and saves a PNG of
# each (default folder: help/screenshots): the main window browsing a folder
# of pictures, the pictures added to the list, the Batch Settings page on
# the first of them, and the export options. Needs xvfb, xdotool and
# ImageMagick (scripts/deps.sh), and a built build/app/zelventa.
#   [ZV_BIN=path/to/zelventa] scripts/main_flow_shots.sh [OUTPUT_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-help/screenshots}")
bin=$(realpath "${ZV_BIN:-build/app/zelventa}")

if [ -z "${ZV_SHOT_INSIDE:-}" ]; then
    export ZV_SHOT_INSIDE=1
    exec xvfb-run -a -s "-screen 0 1280x900x24" "$0" "$out"
fi

mkdir -p "$out"
home=$(mktemp -d) pid=
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$home"' EXIT
# A private home whose desktop holds a few pictures: the tree opens on it.
mkdir -p "$home/Desktop" "$home/.config"
colours=(firebrick seagreen steelblue goldenrod)
for i in 0 1 2 3; do
    size=$([ "$i" = 1 ] && echo 480x640 || echo 640x480)
    convert -size "$size" "gradient:${colours[$i]}-white" \
        -font DejaVu-Sans -fill white -pointsize 48 -gravity center -annotate 0 "Picture $((i + 1))" \
        "$home/Desktop/picture$((i + 1)).$([ "$i" = 2 ] && echo png || echo jpg)"
done
export HOME=$home XDG_CONFIG_HOME=$home/.config
"$bin" &
pid=$!

window() { xdotool search --sync --onlyvisible --name "^$1\$" | head -1; }
shoot() { sleep "${3:-0.8}"; import -window "$1" "$out/$2.png"; echo "saved $out/$2.png"; }
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.4; }

main=$(window "Zelventa 1.00")
read -r width height < <(xdotool getwindowgeometry "$main" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\)/\1 \2/p')
# The page inside the tab control (left 230, top 8, 6 from the right, 35 from
# the bottom), below its tab bar; the Add All button and the list's first
# row sit at fixed distances from the page's right and bottom edges.
page_x=232 page_y=33
page_w=$((width - 6 - 230 - 4)) page_h=$((height - 35 - 8 - 27))
shoot "$main" flow-browse 3
click "$main" $((page_x + page_w - 268)) $((page_y + page_h - 269))
click "$main" $((page_x + 60)) $((page_y + page_h - 245 + 35))
shoot "$main" flow-selected
click "$main" 375 20
shoot "$main" flow-settings 2
# Export: the fourth button from the right (84 x 28, 11 apart, 6 and 4 from the edges).
click "$main" $((width - 6 - 42 - 3 * 95)) $((height - 4 - 14))
shoot "$(window "Export option")" flow-export
xdotool key Escape
sleep 0.3
click "$main" $((width - 6 - 42)) $((height - 4 - 14))
wait "$pid" || true
